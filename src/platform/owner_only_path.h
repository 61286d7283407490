// Whether other users could change a file, or put another file in its place, through the
// permissions of the file or of a folder above it.
//
// A launcher on the desktop starts whatever file sits at its path, so it is only as safe
// as that path. The rule, checked on the file's real path (links resolved):
//   - the file is a regular file owned by the user or by root and not writable by its
//     group or by others;
//   - every folder from the file's parent up to / is owned by the user or by root, and is
//     either not writable by its group or by others, or sticky (as /tmp): there others
//     may add entries but may not rename or remove those of the user or root, which the
//     entry below it is, by the rule itself.
// Access control lists are not read; a file or folder that cannot be examined fails.
#ifndef QUIRE_PLATFORM_OWNER_ONLY_PATH_H_
#define QUIRE_PLATFORM_OWNER_ONLY_PATH_H_

#include <sys/types.h>

#include <string>

namespace quire {

// True when `path` follows the rule above for `user`. The rule holds for the real path; a
// launcher must start that path, not a link to it.
bool OnlyOwnerCanChange(const std::string& path, uid_t user);

}  // namespace quire

#endif  // QUIRE_PLATFORM_OWNER_ONLY_PATH_H_
