#include "book/target_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quire {

namespace {

// Folders kept open at once; a book with more is walked again from the top now and then.
constexpr size_t kMaxOpenFolders = 128;

// A folder of ours alone: a real folder (the descriptor was opened without following a
// link), owned by the user, that nobody else may write to.
bool IsOwnFolder(int fd) {
  struct stat st {};
  return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

TargetFolder::~TargetFolder() {
  Close();
}

bool TargetFolder::Open(const std::string& path) {
  if (m_fd >= 0 && path == m_path)
    return true;
  Close();
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return false;
  m_fd = fd;
  m_path = path;
  return true;
}

void TargetFolder::Close() {
  CloseFolders();
  if (m_fd >= 0)
    close(m_fd);
  m_fd = -1;
  m_path.clear();
}

void TargetFolder::CloseFolders() {
  for (const auto& [folder, fd] : m_folders)
    close(fd);
  m_folders.clear();
}

int TargetFolder::FolderDescriptor(std::string_view folder, const FolderMade& onFolderMade) {
  if (folder.empty())
    return m_fd;
  if (auto it = m_folders.find(folder); it != m_folders.end())
    return it->second;
  const size_t slash = folder.rfind('/');
  const std::string_view parentPath =
      slash == std::string_view::npos ? std::string_view() : folder.substr(0, slash);
  const std::string part(slash == std::string_view::npos ? folder : folder.substr(slash + 1));
  const int parent = FolderDescriptor(parentPath, onFolderMade);
  if (parent < 0)
    return -1;
  const bool made = mkdirat(parent, part.c_str(), 0700) == 0;
  if (!made && errno != EEXIST)
    return -1;
  // Opened without following a link: whatever stands at the place now (a link planted
  // after mkdirat included) must itself be a folder of ours.
  const int fd = openat(parent, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return -1;
  if (made) {
    fchmod(fd, 0700);  // whatever the umask took away
    if (onFolderMade)
      onFolderMade(std::string(folder));
  }
  if (!IsOwnFolder(fd)) {
    close(fd);
    return -1;
  }
  if (m_folders.size() >= kMaxOpenFolders) {
    // The parent's descriptor may be among those closed: it is not used any more.
    CloseFolders();
  }
  m_folders.emplace(std::string(folder), fd);
  return fd;
}

int TargetFolder::CreateFile(const std::string& name, const FolderMade& onFolderMade) {
  if (m_fd < 0)
    return -1;
  const size_t slash = name.rfind('/');
  const int dir = FolderDescriptor(
      slash == std::string::npos ? std::string_view() : std::string_view(name).substr(0, slash),
      onFolderMade);
  if (dir < 0)
    return -1;
  const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  int fd = openat(dir, file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0 || errno != EEXIST)
    return fd;
  // Something is there already. Only a regular file (left by a run that ended without
  // cleaning up) is written over; O_NONBLOCK keeps a planted pipe from stalling the open.
  fd = openat(dir, file.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ftruncate(fd, 0) != 0 ||
      fchmod(fd, 0600) != 0 || fcntl(fd, F_SETFL, 0) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace quire
