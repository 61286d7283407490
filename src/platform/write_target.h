// Where a write to a path lands, without following a link that another user planted.
//
// In a folder that everybody may write to and that keeps each entry to its owner (the
// sticky bit, as on /tmp), anybody can place a link under the name a script is about to
// write, and so make the write replace a file of theirs choosing. Such a link is followed
// only when it belongs to the user who follows it or to the folder's owner. Linux applies
// the same rule itself when fs.protected_symlinks is on; it is repeated here because the
// setting may be off, and because resolving a link by reading it (readlink, realpath)
// never meets the kernel's check.
#ifndef QUIRE_PLATFORM_WRITE_TARGET_H_
#define QUIRE_PLATFORM_WRITE_TARGET_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace quire {

// True when `follower` may follow the link described by `link` out of the folder
// described by `folder`: the folder is not both sticky and writable by everybody, or the
// link belongs to the follower or to the folder's owner.
bool MayFollowLink(const struct stat& link, const struct stat& folder, uid_t follower);

struct WriteTarget {
  // False when the path passes through a link that MayFollowLink refuses (or through
  // more links than the kernel would follow): nothing may be written.
  bool allowed = false;
  // The path to write: every link resolved when the path passed through one and all of
  // it exists, otherwise the path as given.
  std::string path;
  // True when, at the time of the check, `path` named no link in any part of it, so the
  // file can be opened with O_NOFOLLOW. False when a part is missing or could not be
  // read as a plain name (a link under /proc).
  bool linkFree = false;
};

// Walks `path` part by part as the kernel would when writing to it, checking every link
// on the way with MayFollowLink for `follower`. A relative path is taken from the current
// folder.
WriteTarget FindWriteTarget(const std::string& path, uid_t follower);

}  // namespace quire

#endif  // QUIRE_PLATFORM_WRITE_TARGET_H_
