// Reaching a file or folder below an open folder without ever following a link on the way,
// so that a link put in place of a folder cannot send an operation somewhere else.
#ifndef QUIRE_PLATFORM_PATH_BENEATH_H_
#define QUIRE_PLATFORM_PATH_BENEATH_H_

#include <sys/types.h>

#include <string_view>

namespace quire {

// Opens the folder `relative` ("a/b"; "" is `base` itself, duplicated) below the open
// folder `base`, one part at a time, each with O_NOFOLLOW | O_DIRECTORY, close-on-exec.
// "." and ".." parts and empty ones (other than a trailing '/') are refused. -1 when a part
// is missing, is a link or is no folder.
int OpenFolderBeneath(int base, std::string_view relative);

// Removes the file `relative` below `base` (with `folder`: the folder, which must be
// empty), its folders reached as OpenFolderBeneath reaches them; the last part itself is
// removed and never followed (a link there is removed as a file is). True when it was
// removed.
bool RemoveBeneath(int base, std::string_view relative, bool folder);

// Gives the file or folder `relative` below `base` the mode `mode`, reached as
// RemoveBeneath reaches it; a link in its place is left as it is. True when done.
bool ChangeModeBeneath(int base, std::string_view relative, mode_t mode);

}  // namespace quire

#endif  // QUIRE_PLATFORM_PATH_BENEATH_H_
