#include "platform/launcher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/paths.h"
#include "platform/shell_words.h"
#include "ui/reader_window.h"

extern char** environ;

namespace quire {
namespace {

// The start results the messages are keyed on, in the numbering books were written for.
constexpr int kStartOutOfResources = 0;
constexpr int kStartFileNotFound = 2;
constexpr int kStartPathNotFound = 3;
constexpr int kStartAccessDenied = 5;
constexpr int kStartBadFormat = 11;
constexpr int kStartNoAssociation = 31;
// A failure with no reason of its own.
constexpr int kStartFailed = 1;
// Any shell result above 32 means the document was opened.
constexpr int kOpened = 33;

// How long OpenDocument waits for the opener to answer before it takes the silence as
// success: a desktop opener answers at once, but a terminal browser chosen as fallback
// would only return when the user quits it, and the reader must not hang meanwhile.
constexpr int kOpenerWaitMs = 5000;

std::vector<std::string>& OpenerOverride() {
  static std::vector<std::string> opener;
  return opener;
}

// Openers that outlived kOpenerWaitMs; reaped on later calls so none stays a zombie.
std::vector<pid_t>& PendingOpeners() {
  static std::vector<pid_t> pending;
  return pending;
}

void ReapPendingOpeners() {
  std::vector<pid_t>& pending = PendingOpeners();
  std::erase_if(pending, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool FolderExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Finds `program` the way execvp does: as given when it holds '/', else in each folder of
// PATH (an empty entry is the current folder; no PATH means "/usr/local/bin:/usr/bin:
// /bin"). Sets `*failure` to a start result when there is nothing to run.
bool ResolveProgram(const std::string& program, std::string* resolved, int* failure) {
  if (program.empty()) {
    *failure = kStartFileNotFound;
    return false;
  }
  if (program.find('/') != std::string::npos) {
    struct stat info {};
    if (stat(program.c_str(), &info) != 0) {
      std::string folder = program.substr(0, program.rfind('/') + 1);
      *failure =
          (errno == ENOTDIR || !FolderExists(folder)) ? kStartPathNotFound : kStartFileNotFound;
      return false;
    }
    *resolved = program;
    return true;
  }
  const char* pathVariable = std::getenv("PATH");
  std::string_view search = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
  bool sawUnrunnable = false;
  for (;;) {
    std::size_t colon = search.find(':');
    std::string folder(search.substr(0, colon));
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    if (IsExecutableFile(candidate)) {
      *resolved = candidate;
      return true;
    }
    struct stat info {};
    sawUnrunnable = sawUnrunnable || stat(candidate.c_str(), &info) == 0;
    if (colon == std::string_view::npos) {
      break;
    }
    search.remove_prefix(colon + 1);
  }
  *failure = sawUnrunnable ? kStartAccessDenied : kStartFileNotFound;
  return false;
}

int StartResultFromErrno(int error, const std::string& program) {
  switch (error) {
    case ENOENT: {
      std::size_t slash = program.rfind('/');
      bool folderMissing =
          slash != std::string::npos && !FolderExists(program.substr(0, slash + 1));
      return folderMissing ? kStartPathNotFound : kStartFileNotFound;
    }
    case ENOTDIR:
      return kStartPathNotFound;
    case ENOEXEC:
    case ELIBBAD:
      return kStartBadFormat;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
      return kStartOutOfResources;
    case EACCES:
    case EPERM:
      return kStartAccessDenied;
    default:
      return kStartFailed;
  }
}

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

bool ReadAll(int fd, void* buffer, std::size_t size) {
  char* out = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t got = read(fd, out, size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    out += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// Starts `program` (a resolved path) with `words` as its arguments as a process of its
// own: an intermediate child starts it and ends at once, so the program is never this
// process's child and never stays behind as a zombie. Only async-signal-safe calls run
// between fork and exec. Returns 0 when the program was started, else the errno of the
// failure (exec errors come back through a pipe that a successful exec closes).
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
  if (!ReadAll(errorPipe[0], &error, sizeof error)) {
    error = 0;  // the pipe closed on exec: started
  }
  close(errorPipe[0]);
  return error;
}

// The opener command for `target`: the override, else xdg-open, else "gio open".
// False when none can be found.
bool OpenerCommand(const std::string& target, std::vector<std::string>* words,
                   std::string* program) {
  int failure = 0;
  if (!OpenerOverride().empty()) {
    *words = OpenerOverride();
  } else if (ResolveProgram("xdg-open", program, &failure)) {
    *words = {"xdg-open"};
  } else {
    *words = {"gio", "open"};
  }
  words->push_back(target);
  return ResolveProgram(words->front(), program, &failure);
}

// Reads an opener's exit status as a shell result. xdg-open's statuses: 2 a named file
// does not exist, 3 no tool can open it, 4 the opening failed (what its GIO and desktop
// backends report when nothing handles the scheme).
int ShellResultFromOpenerStatus(int status, bool isGio) {
  if (!WIFEXITED(status)) {
    return kStartFailed;
  }
  int code = WEXITSTATUS(status);
  if (code == 0) {
    return kOpened;
  }
  if (isGio) {
    return kStartNoAssociation;
  }
  switch (code) {
    case 2:
      return kStartFileNotFound;
    case 3:
    case 4:
      return kStartNoAssociation;
    default:
      return kStartFailed;
  }
}

bool HasScheme(const std::string& target) {
  // A scheme is a letter, then letters, digits, '+', '-' or '.', then ':'; one letter
  // before the colon is a drive letter, not a scheme.
  std::size_t colon = target.find(':');
  if (colon == std::string::npos || colon < 2) {
    return false;
  }
  auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isAlpha(target[0])) {
    return false;
  }
  for (std::size_t i = 1; i < colon; ++i) {
    char c = target[i];
    if (!isAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

// A local document as the opener should get it: converted to the file system's form,
// and never looking like an option. Sets `*failure` when it does not exist.
bool LocalDocument(const std::string& target, std::string* path, int* failure) {
  *path = ToNativePath(target);
  struct stat info {};
  if (path->empty() || stat(path->c_str(), &info) != 0) {
    std::size_t slash = path->rfind('/');
    bool folderMissing = slash != std::string::npos && !FolderExists(path->substr(0, slash + 1));
    *failure = (errno == ENOTDIR || folderMissing) ? kStartPathNotFound : kStartFileNotFound;
    return false;
  }
  if ((*path)[0] == '-') {
    *path = "./" + *path;
  }
  return true;
}

// Runs the opener for `target` and waits (bounded) for its answer; a shell result.
int RunOpener(const std::string& target) {
  std::vector<std::string> words;
  std::string program;
  if (!OpenerCommand(target, &words, &program)) {
    return kStartNoAssociation;  // nothing on this system opens anything
  }
  bool isGio = OpenerOverride().empty() && words.front() == "gio";
  std::vector<char*> argv = ArgumentVector(words);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    int result = StartResultFromErrno(error, program);
    return result == kStartFileNotFound ? kStartNoAssociation : result;
  }
  const timespec pause{0, 10 * 1000 * 1000};
  for (int waited = 0; waited < kOpenerWaitMs; waited += 10) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      return ShellResultFromOpenerStatus(status, isGio);
    }
    if (done < 0 && errno != EINTR) {
      return kStartFailed;
    }
    nanosleep(&pause, nullptr);
  }
  PendingOpeners().push_back(pid);
  return kOpened;  // still busy opening: it found something to open with
}

void ShowLaunchMessage(const std::string& text) {
  TheWindow().MessageBox(text, kMbOk | kMbIconExclamation);
}

}  // namespace

std::string RunFailureMessage(const std::string& commandLine, int startResult) {
  switch (startResult) {
    case kStartOutOfResources:
      return "Can't start " + commandLine + ", out of memory or resources.";
    case kStartFileNotFound:
      return "Can't start " + commandLine + ", as the file was not found.";
    case kStartPathNotFound:
      return "Can't start " + commandLine + ", as the path was not found.";
    case kStartBadFormat:
      return "Can't start " + commandLine + ", the program appears to be corrupted or invalid.";
    default:
      return "Unable to start " + commandLine;
  }
}

std::string OpenFailureMessage(int shellResult) {
  std::string message =
      "The web page could not be opened.\n\nTo use this option, you must :-\n"
      "1. Have a connection to the Internet.\n"
      "2. Have a web browser (for example Microsoft Internet Explorer) installed on your "
      "system.\n"
      "3. The web browser set to pick up file associations (this normally occurs as part of "
      "the installation process for the web browser).";
  const char* reason = nullptr;
  switch (shellResult) {
    case 0:
      reason = "The operating system is out of memory or resources.";
      break;
    case 2:
      reason = "The specified file was not found.";
      break;
    case 3:
      reason = "The specified path was not found.";
      break;
    case 5:
      reason = "The operating system denied access to the specified file.";
      break;
    case 8:
      reason = "There was not enough memory to complete the operation.";
      break;
    case 11:
      reason = "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).";
      break;
    case 26:
      reason = "A sharing violation occurred.";
      break;
    case 27:
      reason = "The filename association is incomplete or invalid.";
      break;
    case 28:
      reason = "The DDE transaction could not be completed because the request timed out.";
      break;
    case 29:
      reason = "The DDE transaction failed.";
      break;
    case 30:
      reason =
          "The DDE transaction could not be completed because other DDE transactions were "
          "being processed.";
      break;
    case 31:
      reason = "There is no application associated with the given filename extension.";
      break;
    case 32:
      reason = "The specified dynamic-link library was not found.";
      break;
    default:
      break;
  }
  if (reason != nullptr) {
    message += "\n\nThe reason was:-\n";
    message += reason;
  }
  return message;
}

bool RunProgram(const std::string& commandLine, int showMode) {
  (void)showMode;  // a Linux program chooses its own window state
  ReapPendingOpeners();
  std::vector<std::string> words;
  int failure = kStartFailed;  // an open quote: nothing sensible to start
  std::string program;
  // Books write paths with backslashes ("{ebook}\\tools\\run"): they are path separators
  // here, never shell escapes, so they are converted before the line is split.
  if (SplitShellWords(ToNativePath(commandLine), &words)) {
    if (words.empty()) {
      failure = kStartFileNotFound;
    } else if (ResolveProgram(words.front(), &program, &failure)) {
      int error = StartDetached(program, words, /*quietInput=*/false);
      if (error == 0) {
        return true;
      }
      failure = StartResultFromErrno(error, program);
    }
  }
  ShowLaunchMessage(RunFailureMessage(commandLine, failure));
  return false;
}

bool OpenDocument(const std::string& target) {
  ReapPendingOpeners();
  std::string argument = target;
  int result = kStartFailed;
  if (HasScheme(target) || LocalDocument(target, &argument, &result)) {
    result = RunOpener(argument);
  }
  if (result >= kOpened) {
    return true;
  }
  ShowLaunchMessage(OpenFailureMessage(result));
  return false;
}

bool OpenOutsideLink(const std::string& url) {
  ReapPendingOpeners();
  std::vector<std::string> words;
  std::string program;
  // A leading '-' would read as an option of the opener, never as an address.
  if (!url.empty() && url[0] != '-' && OpenerCommand(url, &words, &program)) {
    StartDetached(program, words, /*quietInput=*/true);
  }
  return true;
}

void OverrideOpener(const std::vector<std::string>& command) {
  OpenerOverride() = command;
}

}  // namespace quire
