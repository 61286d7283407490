// Where the reader finds itself and its folders on Linux.
#ifndef QUIRE_PLATFORM_PATHS_H_
#define QUIRE_PLATFORM_PATHS_H_

#include <string>

namespace quire {

// The running program's path: /proc/self/exe resolved ("/proc/self/exe" itself when the
// link cannot be read).
std::string OwnExecutablePath();
// The file to read the running program's own book from: it opens the running program
// even after its file was moved, renamed or replaced while it runs.
inline constexpr const char kOwnProgramFile[] = "/proc/self/exe";

// Where the private temporary folder is made: TMPDIR when it is an absolute path that no
// other user can change or replace entries in (OnlyOwnerCanChangeFolder), else the
// system's /tmp when it qualifies, else $XDG_RUNTIME_DIR when it does. `folder` has no
// trailing '/' and is empty when nothing qualifies; `refused` names the first of these
// that was asked for but passed over (empty when none was), `why` says why.
struct TempBase {
  std::string folder;
  std::string refused;
  std::string why;
};
TempBase ChooseTempBase();

// The private per-user temporary folder "<ChooseTempBase()>/quire-<uid>/", ending with '/'.
// Made with mode 0700 on first use; an existing one must be a real directory (not a link)
// owned by the user that no one else may enter, read or write. When it breaks these rules
// (another user made it first, it is a link, it is open to others) or cannot be made,
// another private folder is taken instead and kept for the process: "$XDG_RUNTIME_DIR/
// quire/" under the same rules, else a fresh "quire-<uid>-XXXXXX" (mkdtemp) beside it.
// Why a folder other than the usual one is used is said once on standard error. Empty
// only when no private folder can be had at all.
std::string PrivateTempFolder();

// Where PrivateTempFolder says which folder it uses and why: standard error, prefixed
// "quire: ", unless a program (quire-pack) installs its own way (null restores it).
void SetTempFolderNotice(void (*say)(const std::string& text));

// Tests only: the folder taken as the system's "/tmp"; empty restores it.
void OverrideSystemTempFolder(const std::string& path);

// The user's home folder: $HOME when it is an absolute path, else the password database's
// entry; empty when neither names one.
std::string HomeFolder();

// An XDG base folder: the variable's value when it is an absolute path (a relative one is
// ignored, as the base-directory rules say), else HomeFolder() + `fallback` ("/.config");
// empty when there is no home either.
std::string XdgBaseFolder(const char* variable, const char* fallback);

// "${XDG_CONFIG_HOME:-$HOME/.config}/quire/", ending with '/': where a bare INI file name
// lives. Not made here; writers make it.
std::string ConfigFolder();

// Converts a path from a book or a script to the file system's form: every '\' becomes '/'.
std::string ToNativePath(const std::string& path);

}  // namespace quire

#endif  // QUIRE_PLATFORM_PATHS_H_
