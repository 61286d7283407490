#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace quire::bench {

bool RunProgram(std::vector<std::string> args, const std::string& dir, const std::string& errPath) {
  if (args.empty())
    return false;
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
  if (rc != 0)
    return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string BesideThisProgram(const char* env, const std::string& relative) {
  if (const char* path = std::getenv(env); path && *path)
    return path;
  namespace fs = std::filesystem;
  return (fs::read_symlink("/proc/self/exe").parent_path() / relative).lexically_normal();
}

}  // namespace quire::bench
