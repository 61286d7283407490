#include "platform/launcher.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

#include "platform/paths.h"
#include "platform/process_spawn.h"
#include "platform/program_search.h"
#include "platform/shell_words.h"

namespace quire {
namespace {

std::vector<std::string>& OpenerOverride() {
  static std::vector<std::string> opener;
  return opener;
}

// Openers that outlived the wait; reaped on later calls so none stays a zombie.
std::vector<pid_t>& PendingOpeners() {
  static std::vector<pid_t> pending;
  return pending;
}

void ReapPendingOpeners() {
  std::vector<pid_t>& pending = PendingOpeners();
  std::erase_if(pending, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
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

// xdg-open's statuses: 2 a named file does not exist, 3 no tool can open it, 4 the
// opening failed (what its GIO and desktop backends report when nothing handles the
// scheme).
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
  if (path->empty()) {
    *failure = kStartFileNotFound;
    return false;
  }
  struct stat info {};
  if (stat(path->c_str(), &info) != 0) {
    // Taken at once: anything called after stat() may change errno.
    const int error = errno;
    *failure = MissingPathResult(*path, error);
    return false;
  }
  if ((*path)[0] == '-') {
    *path = "./" + *path;
  }
  return true;
}

}  // namespace

ProgramStart StartProgram(const std::string& commandLine) {
  ReapPendingOpeners();
  std::vector<std::string> words;
  std::string program;
  ProgramStart start;
  // Books write paths with backslashes ("{ebook}\\tools\\run"): they are path separators
  // here, never shell escapes, so they are converted before the line is split.
  if (!SplitShellWords(ToNativePath(commandLine), &words)) {
    start.startResult = kStartFailed;  // an open quote: nothing sensible to start
  } else if (words.empty()) {
    start.startResult = kStartFileNotFound;
  } else if (ResolveProgram(words.front(), &program, &start.startResult)) {
    const int error = StartDetached(program, words, /*quietInput=*/false);
    if (error == 0) {
      start.started = true;
    } else {
      start.startResult = StartResultFromErrno(error, program);
    }
  }
  return start;
}

OpenerStart StartOpener(const std::string& target) {
  ReapPendingOpeners();
  OpenerStart start;
  std::string argument = target;
  if (!HasScheme(target) && !LocalDocument(target, &argument, &start.shellResult))
    return start;
  std::vector<std::string> words;
  std::string program;
  if (!OpenerCommand(argument, &words, &program)) {
    start.shellResult = kStartNoAssociation;  // nothing on this system opens anything
    return start;
  }
  start.isGio = OpenerOverride().empty() && words.front() == "gio";
  const int error = SpawnChild(program, words, &start.pid);
  if (error != 0) {
    start.pid = -1;
    const int result = StartResultFromErrno(error, program);
    start.shellResult = result == kStartFileNotFound ? kStartNoAssociation : result;
  }
  return start;
}

int OpenerResult(const OpenerStart& opener, int status) {
  return ShellResultFromOpenerStatus(status, opener.isGio);
}

int AbandonOpener(const OpenerStart& opener) {
  if (opener.Running())
    PendingOpeners().push_back(opener.pid);
  return kOpened;  // still busy opening: it found something to open with
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
