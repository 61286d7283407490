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

// The same rule for a folder whose entries the user's programs keep (a temporary folder):
// the folder itself and every folder above it are owned by `user` or by root and either
// not writable by group or others, or sticky. Links on the way as written must belong to
// `user` or root too (their owner could point them elsewhere later); the rule is checked
// on the real path they lead to.
bool OnlyOwnerCanChangeFolder(const std::string& path, uid_t user);

}  // namespace quire

#endif  // QUIRE_PLATFORM_OWNER_ONLY_PATH_H_
