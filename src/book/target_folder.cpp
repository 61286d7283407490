#include "book/target_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quire {

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
  if (m_fd >= 0)
    close(m_fd);
  m_fd = -1;
  m_path.clear();
}

int TargetFolder::CreateFile(const std::string& name) const {
  if (m_fd < 0)
    return -1;
  int fd = openat(m_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0 || errno != EEXIST)
    return fd;
  // Something is there already. Only a regular file (left by a run that ended without
  // cleaning up) is written over; O_NONBLOCK keeps a planted pipe from stalling the open.
  fd = openat(m_fd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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
