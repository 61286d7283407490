#include "support/write_locked_folder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quire::testing {
namespace {

// Sets or clears the immutable flag of `path`; false with errno when it cannot.
bool SetImmutable(const std::string& path, bool on) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return false;
  int flags = 0;
  bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  const int saved = errno;
  close(fd);
  errno = saved;
  return done;
}

}  // namespace

WriteLockedFolder::WriteLockedFolder(std::string path) : m_path(std::move(path)) {
  if (chmod(m_path.c_str(), 0500) != 0) {
    m_reason = "cannot make " + m_path + " read-only: " + std::strerror(errno);
    return;
  }
  if (geteuid() != 0) {
    m_holds = true;
    return;
  }
  m_immutable = SetImmutable(m_path, true);
  m_holds = m_immutable;
  if (!m_immutable)
    m_reason = "root writes into a read-only folder, and the immutable flag cannot be set here: " +
               std::string(std::strerror(errno));
}

WriteLockedFolder::~WriteLockedFolder() {
  if (m_immutable)
    SetImmutable(m_path, false);
  chmod(m_path.c_str(), 0700);
}

}  // namespace quire::testing
