// Reaching a file or folder below an open folder without ever following a link on the way,
// so that a link put in place of a folder cannot send an operation somewhere else.
#ifndef QUIRE_PLATFORM_PATH_BENEATH_H_
#define QUIRE_PLATFORM_PATH_BENEATH_H_

#include <sys/types.h>

#include <map>
#include <string>
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

// The same for many paths below one folder: the folders on the way are opened once and
// kept open (up to a bound), so that removing the files of a large tree costs about one
// system call per file.
class FolderWalker {
 public:
  explicit FolderWalker(int base) : m_base(base) {}
  ~FolderWalker();
  FolderWalker(const FolderWalker&) = delete;
  FolderWalker& operator=(const FolderWalker&) = delete;

  bool Remove(std::string_view relative, bool folder);
  bool ChangeMode(std::string_view relative, mode_t mode);

 private:
  // The open folder `relative` (as OpenFolderBeneath), owned by the walker; -1 on failure.
  int Folder(std::string_view relative);

  int m_base;
  std::map<std::string, int, std::less<>> m_open;
};

}  // namespace quire

#endif  // QUIRE_PLATFORM_PATH_BENEATH_H_
