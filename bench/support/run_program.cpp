#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace quire::bench {

namespace {

// Starts `args` and returns its pid, or -1.
pid_t Spawn(std::vector<std::string>& args, const std::string& dir, const std::string& errPath) {
  if (args.empty())
    return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (!dir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Waits for `pid`; true when it exited with 0. `usage` (if non-null) gets its resources.
bool Await(pid_t pid, struct rusage* usage) {
  int status = 0;
  while (wait4(pid, &status, 0, usage) < 0) {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool RunProgram(std::vector<std::string> args, const std::string& dir, const std::string& errPath) {
  const pid_t pid = Spawn(args, dir, errPath);
  return pid > 0 && Await(pid, nullptr);
}

bool RunProgramMeasured(std::vector<std::string> args, ProgramUsage* usage, const std::string& dir,
                        const std::string& errPath) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = Spawn(args, dir, errPath);
  struct rusage resources {};
  const bool ok = pid > 0 && Await(pid, &resources);
  usage->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  usage->peakKilobytes = resources.ru_maxrss;
  return ok;
}

std::string BesideThisProgram(const char* env, const std::string& relative) {
  if (const char* path = std::getenv(env); path && *path)
    return path;
  namespace fs = std::filesystem;
  return (fs::read_symlink("/proc/self/exe").parent_path() / relative).lexically_normal();
}

}  // namespace quire::bench
