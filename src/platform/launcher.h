// Starting outside programs and opening documents and addresses with the user's own
// applications. Failures are shown to the user through TheWindow().MessageBox with an OK
// button and the exclamation icon, in the reader's fixed wording; callers only see the
// flag.
#ifndef QUIRE_PLATFORM_LAUNCHER_H_
#define QUIRE_PLATFORM_LAUNCHER_H_

#include <string>
#include <vector>

namespace quire {

// How a started program's window should appear. Linux gives a starting program no
// say about this, so the word is accepted and kept for the callers' sake only.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

// Starts `commandLine` as a program: every backslash is first read as a path separator and
// becomes '/', as in all paths from books; then the line is split into words with the
// shell's quoting rules (blanks separate words; '...' and "..." quote), no other shell
// expansion happens, and the first word is looked up on PATH
// when it holds no '/'. The program runs on its own; it is not waited for.
// True when the program was started. Otherwise shows "Can't start <line>, as the file
// was not found." (or the path, corrupted-program, out-of-resources or "Unable to start"
// wording that fits the failure) and returns false.
bool RunProgram(const std::string& commandLine, int showMode = kShowNormal);

// Opens a document path or an address with the desktop's default handler (xdg-open, or
// "gio open" where xdg-open is missing) and waits for the opener's answer, at most a few
// seconds (an opener still busy by then counts as success). A target without a scheme
// is a local path: converted with ToNativePath and checked to exist first. True when it
// opened; otherwise shows "The web page could not be opened. ..." with "The reason was:-"
// and the reason when one is known, and returns false.
bool OpenDocument(const std::string& target);

// Hands an outside address to the desktop's default handler without waiting for an
// answer and without showing anything. Always true.
bool OpenOutsideLink(const std::string& url);

// The texts of the failure messages, as RunProgram and OpenDocument show them.
// `startResult` and `shellResult` use the numbering books were written for: 0 out of
// resources, 2 file not found, 3 path not found, 5 access denied, 11 bad program format,
// 31 no application for the document, 32 and below other failures (with or without a
// reason of their own).
std::string RunFailureMessage(const std::string& commandLine, int startResult);
std::string OpenFailureMessage(int shellResult);

// Makes OpenDocument and OpenOutsideLink run `command` with the target appended instead
// of the desktop's opener (tests). Its exit status is read as xdg-open's: 0 opened, 2 the
// file does not exist, 3 or 4 nothing can open it, anything else a failure without a
// reason. An empty command restores the default.
void OverrideOpener(const std::vector<std::string>& command);

}  // namespace quire

#endif  // QUIRE_PLATFORM_LAUNCHER_H_
