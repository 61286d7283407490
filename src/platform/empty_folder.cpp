#include "platform/empty_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace quire {

namespace {

constexpr int kMaxDepth = 64;

// The names in the folder open as `folderFd` (a descriptor of its own is read, so the
// caller's stays as it was).
std::vector<std::string> EntryNames(int folderFd) {
  std::vector<std::string> names;
  const int listFd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0)
    return names;
  DIR* dir = fdopendir(listFd);
  if (dir == nullptr) {
    close(listFd);
    return names;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool EmptyAt(int folderFd, int depth) {
  bool empty = true;
  for (const std::string& name : EntryNames(folderFd)) {
    struct stat st {};
    if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      continue;  // gone meanwhile
    if (!S_ISDIR(st.st_mode)) {
      empty = unlinkat(folderFd, name.c_str(), 0) == 0 && empty;
      continue;
    }
    if (depth >= kMaxDepth) {
      empty = false;
      continue;
    }
    // O_NOFOLLOW: a folder swapped for a link after the look above is not entered.
    const int inner =
        openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (inner < 0) {
      empty = false;
      continue;
    }
    EmptyAt(inner, depth + 1);
    close(inner);
    empty = unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) == 0 && empty;
  }
  return empty;
}

}  // namespace

bool EmptyFolder(int folderFd) {
  return EmptyAt(folderFd, 0);
}

}  // namespace quire
