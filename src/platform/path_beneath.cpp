#include "platform/path_beneath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace quire {

namespace {

bool IsStepPart(std::string_view part) {
  return part.empty() || part == "." || part == "..";
}

// Folders a FolderWalker keeps open at once.
constexpr size_t kMaxOpenFolders = 128;

// Splits `relative` (trailing '/' dropped) into its folder and its last part; false when
// the last part is empty, "." or "..".
bool SplitLast(std::string_view relative, std::string_view* folder, std::string* last) {
  while (relative.ends_with('/'))
    relative.remove_suffix(1);
  const size_t slash = relative.rfind('/');
  *last = std::string(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
  *folder = slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash);
  return !IsStepPart(*last);
}

bool RemoveAt(int parent, const char* name, bool folder) {
  return unlinkat(parent, name, folder ? AT_REMOVEDIR : 0) == 0;
}

bool ChangeModeAt(int parent, const char* name, mode_t mode) {
  struct stat st {};
  return fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode) &&
         fchmodat(parent, name, mode, AT_SYMLINK_NOFOLLOW) == 0;
}

// Runs `action` on the folder that holds the last part of `relative`, and that part's name.
template <typename Action>
bool OnLastPart(int base, std::string_view relative, Action action) {
  std::string_view folder;
  std::string last;
  if (!SplitLast(relative, &folder, &last))
    return false;
  const int parent = OpenFolderBeneath(base, folder);
  if (parent < 0)
    return false;
  const bool done = action(parent, last.c_str());
  close(parent);
  return done;
}

}  // namespace

int OpenFolderBeneath(int base, std::string_view relative) {
  int fd = fcntl(base, F_DUPFD_CLOEXEC, 0);
  while (fd >= 0 && !relative.empty()) {
    const size_t slash = relative.find('/');
    const std::string part(relative.substr(0, slash));
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
    if (IsStepPart(part)) {
      close(fd);
      return -1;
    }
    const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  return fd;
}

bool RemoveBeneath(int base, std::string_view relative, bool folder) {
  return OnLastPart(base, relative, [folder](int parent, const char* name) {
    return RemoveAt(parent, name, folder);
  });
}

bool ChangeModeBeneath(int base, std::string_view relative, mode_t mode) {
  return OnLastPart(base, relative, [mode](int parent, const char* name) {
    return ChangeModeAt(parent, name, mode);
  });
}

FolderWalker::~FolderWalker() {
  for (const auto& [path, fd] : m_open)
    close(fd);
}

int FolderWalker::Folder(std::string_view relative) {
  if (relative.empty())
    return m_base;
  if (auto it = m_open.find(relative); it != m_open.end())
    return it->second;
  std::string_view parentPath;
  std::string last;
  if (!SplitLast(relative, &parentPath, &last) || relative.ends_with('/'))
    return -1;
  const int parent = Folder(parentPath);
  if (parent < 0)
    return -1;
  const int fd = openat(parent, last.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return -1;
  if (m_open.size() >= kMaxOpenFolders) {
    for (const auto& [path, open] : m_open)
      close(open);  // the parent among them is not used again
    m_open.clear();
  }
  m_open.emplace(std::string(relative), fd);
  return fd;
}

bool FolderWalker::Remove(std::string_view relative, bool folder) {
  std::string_view parentPath;
  std::string last;
  if (!SplitLast(relative, &parentPath, &last))
    return false;
  const int parent = Folder(parentPath);
  if (parent < 0 || !RemoveAt(parent, last.c_str(), folder))
    return false;
  if (folder) {
    // A descriptor kept of the folder removed would keep its place to no purpose.
    std::string removed(relative);
    while (removed.ends_with('/'))
      removed.pop_back();
    if (auto it = m_open.find(removed); it != m_open.end()) {
      close(it->second);
      m_open.erase(it);
    }
  }
  return true;
}

bool FolderWalker::ChangeMode(std::string_view relative, mode_t mode) {
  std::string_view parentPath;
  std::string last;
  if (!SplitLast(relative, &parentPath, &last))
    return false;
  const int parent = Folder(parentPath);
  return parent >= 0 && ChangeModeAt(parent, last.c_str(), mode);
}

}  // namespace quire
