// Where the reader finds itself and its folders on Linux.
#ifndef QUIRE_PLATFORM_PATHS_H_
#define QUIRE_PLATFORM_PATHS_H_

#include <string>

namespace quire {

// The file the book is read from: the running executable (/proc/self/exe resolved), or
// the path set with OverrideOwnExecutablePath.
std::string OwnExecutablePath();
// The file to read the book from: the path set with OverrideOwnExecutablePath, else
// "/proc/self/exe", which opens the running program even after its file was moved,
// renamed or replaced while it runs.
std::string OwnBookFile();
// Makes the reader read its book from `path` instead of its own file (tests, tools).
// An empty path restores the default.
void OverrideOwnExecutablePath(const std::string& path);

// The private per-user temporary folder "${TMPDIR:-/tmp}/quire-<uid>/", ending with '/'
// (a TMPDIR that is not an absolute path counts as unset).
// Made with mode 0700 on first use. An existing one must be a real directory (not a
// link), owned by the user and not writable by group or others. Empty when it cannot be
// made or breaks these rules.
std::string PrivateTempFolder();

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
