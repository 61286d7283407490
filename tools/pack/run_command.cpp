// quire-pack run: the author's preview. Builds the book into a private temporary file,
// starts it, waits for the reader to end and removes the file.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "book_plan.h"
#include "cli_args.h"
#include "commands.h"
#include "temp_folder.h"

extern char** environ;

namespace quire::pack {

namespace {

constexpr char kRunHelp[] =
    "Usage: quire-pack run SOURCE_DIR [options]\n"
    "\n"
    "Builds the book of SOURCE_DIR as quire-pack build would, into a private temporary\n"
    "file, reads it, and removes the file when the reader ends. The exit code is the\n"
    "reader's (1 when the build fails).\n"
    "\n"
    "Options (as for build):\n"
    "  --reader PATH        the reader program to use\n"
    "  --manifest FILE      read this manifest instead of SOURCE_DIR/book.ini\n"
    "  --add FILE           also store FILE under its own name (may be repeated)\n"
    "  --flatten            store the files of subfolders too, with their links rewritten\n"
    "  --strict             references that cannot be rewritten are errors\n"
    "  -v, --verbose        print every warning (by default grouped, as build does)\n"
    "  -q, --quiet          print nothing but errors\n"
    "  -h, --help           show this help\n";

// Keeps Ctrl+C and Ctrl+\ for the reader while it runs, so that this process lives to
// remove the book; the reader gets the default actions back.
class IgnoreTerminalSignals {
 public:
  IgnoreTerminalSignals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &m_int);
    sigaction(SIGQUIT, &ignore, &m_quit);
  }
  ~IgnoreTerminalSignals() {
    sigaction(SIGINT, &m_int, nullptr);
    sigaction(SIGQUIT, &m_quit, nullptr);
  }
  IgnoreTerminalSignals(const IgnoreTerminalSignals&) = delete;
  IgnoreTerminalSignals& operator=(const IgnoreTerminalSignals&) = delete;

 private:
  struct sigaction m_int {};
  struct sigaction m_quit {};
};

// Runs the book and returns its exit code (128 + the signal when a signal ended it).
int RunBookFile(const std::string& path) {
  IgnoreTerminalSignals guard;
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  int rc = posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    return Fail("cannot start the book " + path + ": " + std::strerror(rc) +
                " (is the temporary folder mounted noexec? set TMPDIR to another folder)");
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return Fail(std::string("lost the reader: ") + std::strerror(errno));
  }
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

}  // namespace

int RunPreview(const std::vector<std::string>& args) {
  ParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args, BuildOptionSpecs(), &parsed, &error))
    return Fail(error + "\n(see quire-pack run --help)", kExitUsage);
  if (parsed.Has("help")) {
    std::cout << kRunHelp;
    return kExitOk;
  }
  if (parsed.positional.size() != 1)
    return Fail("run needs SOURCE_DIR (see quire-pack run --help)", kExitUsage);
  TempFolder folder;
  if (!folder.Ok())
    return Fail("cannot make a private temporary folder for the book");
  BuildRequest request;
  request.sourceDir = parsed.positional[0];
  std::string dirName = request.sourceDir;
  while (dirName.size() > 1 && dirName.back() == '/')
    dirName.pop_back();
  dirName = dirName.substr(dirName.rfind('/') == std::string::npos ? 0 : dirName.rfind('/') + 1);
  request.output = folder.Path() + IdentifierFromName(dirName);
  request.silent = true;
  int code = BuildBook(parsed, request);
  if (code != kExitOk)
    return code;
  return RunBookFile(request.output);
}

}  // namespace quire::pack
