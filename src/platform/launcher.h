// Starting outside programs and handing documents and addresses to the user's own
// applications. Nothing here shows anything: each operation returns the result code
// (platform/launch_messages.h) for the caller to report. The operations that show the
// reader's messages are in script/launch_operations.h.
#ifndef QUIRE_PLATFORM_LAUNCHER_H_
#define QUIRE_PLATFORM_LAUNCHER_H_

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/launch_messages.h"

namespace quire {

// How a started program's window should appear. Linux gives a starting program no
// say about this, so the word is accepted and kept for the callers' sake only.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

// How long an opener is waited for before its silence is taken as success: a desktop
// opener answers at once, but a terminal browser chosen as fallback only returns when the
// user quits it.
inline constexpr int kOpenerWaitMs = 5000;

// The outcome of starting a program.
struct ProgramStart {
  bool started = false;
  int startResult = kStartFailed;  // why not, when !started
};

// Starts `commandLine` as a program: every backslash is first read as a path separator and
// becomes '/', as in all paths from books; then the line is split into words with the
// shell's quoting rules (blanks separate words; '...' and "..." quote), no other shell
// expansion happens, and the first word is looked up on PATH when it holds no '/'. The
// program runs on its own; it is not waited for. An empty line is kStartFileNotFound,
// an open quote kStartFailed.
ProgramStart StartProgram(const std::string& commandLine);

// An opener asked to open a document. While `pid` is positive the opener runs and its
// exit status gives the result (OpenerResult); otherwise `shellResult` is final.
struct OpenerStart {
  int shellResult = kStartFailed;
  pid_t pid = -1;
  bool isGio = false;

  bool Running() const { return pid > 0; }
};

// Starts the desktop's default handler (xdg-open, or "gio open" where xdg-open is
// missing) for a document path or an address and returns at once. A target without a
// scheme is a local path: converted with ToNativePath and checked to exist first
// (kStartFileNotFound or kStartPathNotFound when it does not). No opener at all:
// kStartNoAssociation.
OpenerStart StartOpener(const std::string& target);
// The shell result of an opener that ended with wait status `status`: kOpened for exit
// status 0; for xdg-open 2 is kStartFileNotFound, 3 and 4 kStartNoAssociation; any
// failure of "gio open" is kStartNoAssociation; everything else kStartFailed.
int OpenerResult(const OpenerStart& opener, int status);
// Stops waiting for an opener that is still running: a later launch reaps it, so it
// never stays a zombie. Its silence counts as success: returns kOpened.
int AbandonOpener(const OpenerStart& opener);

// Hands an outside address to the desktop's default handler without waiting for an
// answer and without showing anything. Always true.
bool OpenOutsideLink(const std::string& url);

// Makes StartOpener and OpenOutsideLink run `command` with the target appended instead
// of the desktop's opener (tests). Its exit status is read as xdg-open's. An empty
// command restores the default.
void OverrideOpener(const std::vector<std::string>& command);

}  // namespace quire

#endif  // QUIRE_PLATFORM_LAUNCHER_H_
