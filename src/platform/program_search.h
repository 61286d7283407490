// Finding the program a command line names, and reading a failure to start one as a start
// result (platform/launch_messages.h).
#ifndef QUIRE_PLATFORM_PROGRAM_SEARCH_H_
#define QUIRE_PLATFORM_PROGRAM_SEARCH_H_

#include <string>

namespace quire {

// Finds `program` the way execvp does: as given when it holds '/', else in each folder of
// PATH (an empty entry is the current folder; no PATH means "/usr/local/bin:/usr/bin:
// /bin"), taking the first regular file that may be executed. On failure sets `*failure`:
// kStartPathNotFound when a folder on the given path is missing or not a folder,
// kStartAccessDenied when PATH holds the name but nothing runnable, else
// kStartFileNotFound (an empty name among them).
bool ResolveProgram(const std::string& program, std::string* resolved, int* failure);

// The start result for `error`, the errno of a failed start of `program`: a missing file
// is kStartPathNotFound when the folder it should be in is missing too.
int StartResultFromErrno(int error, const std::string& program);

// The start result for a path that does not exist, given the errno its stat() failed
// with: kStartPathNotFound when a folder on it is missing or not a folder, else
// kStartFileNotFound.
int MissingPathResult(const std::string& path, int statError);

// True when `path` names a folder (following links).
bool FolderExists(const std::string& path);

}  // namespace quire

#endif  // QUIRE_PLATFORM_PROGRAM_SEARCH_H_
