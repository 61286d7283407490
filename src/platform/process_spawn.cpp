#include "platform/process_spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_write.h"

extern char** environ;

namespace quire {
namespace {

// Arguments as the exec functions want them; `words` must outlive the result.
std::vector<char*> ArgumentVector(std::vector<std::string>& words) {
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

// Only async-signal-safe calls run between fork and exec; exec errors come back through a
// pipe that a successful exec closes.
int StartDetached(const std::string& program, std::vector<std::string> words, bool quietInput) {
  std::vector<char*> argv = ArgumentVector(words);
  int errorPipe[2];
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    return errno;
  }
  int nullInput = quietInput ? open("/dev/null", O_RDONLY | O_CLOEXEC) : -1;
  pid_t middle = fork();
  if (middle < 0) {
    int error = errno;
    close(errorPipe[0]);
    close(errorPipe[1]);
    if (nullInput >= 0) {
      close(nullInput);
    }
    return error;
  }
  if (middle == 0) {
    close(errorPipe[0]);
    pid_t grandchild = fork();
    if (grandchild < 0) {
      int error = errno;
      (void)!write(errorPipe[1], &error, sizeof error);
      _exit(0);
    }
    if (grandchild == 0) {
      setsid();  // the program outlives the reader and its terminal's signals
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);  // signals the reader blocks are its own
      if (nullInput >= 0) {
        dup2(nullInput, STDIN_FILENO);
      }
      execve(program.c_str(), argv.data(), environ);
      int error = errno;
      (void)!write(errorPipe[1], &error, sizeof error);
      _exit(127);
    }
    _exit(0);
  }
  close(errorPipe[1]);
  if (nullInput >= 0) {
    close(nullInput);
  }
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  if (!ReadAllBytes(errorPipe[0], &error, sizeof error)) {
    error = 0;  // the pipe closed on exec: started
  }
  close(errorPipe[0]);
  return error;
}

int SpawnChild(const std::string& program, std::vector<std::string> words, pid_t* pid) {
  std::vector<char*> argv = ArgumentVector(words);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  const int error = posix_spawn(pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace quire
