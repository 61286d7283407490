#include "support/failing_env.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quire::testing {

void FailingEnv::Fail(EnvCall call, int error, const std::string& pathPrefix) {
  m_rules.push_back({call, error, pathPrefix});
}

int FailingEnv::Failures(EnvCall call) const {
  return static_cast<int>(std::count(m_failed.begin(), m_failed.end(), call));
}

bool FailingEnv::Fails(EnvCall call, const std::string& path, const std::string& other) {
  for (const Rule& rule : m_rules) {
    if (rule.call != call)
      continue;
    if (rule.pathPrefix.empty() || path.starts_with(rule.pathPrefix) ||
        (!other.empty() && other.starts_with(rule.pathPrefix))) {
      m_failed.push_back(call);
      errno = rule.error;
      return true;
    }
  }
  return false;
}

int FailingEnv::Access(const std::string& path, int mode) noexcept {
  return Fails(EnvCall::kAccess, path) ? -1 : EnvWrapper::Access(path, mode);
}

int FailingEnv::Open(const std::string& path, int flags, mode_t mode) noexcept {
  return Fails(EnvCall::kOpen, path) ? -1 : EnvWrapper::Open(path, flags, mode);
}

int FailingEnv::MakeTemporary(std::string& pathTemplate, int flags) noexcept {
  return Fails(EnvCall::kMakeTemporary, pathTemplate)
             ? -1
             : EnvWrapper::MakeTemporary(pathTemplate, flags);
}

ssize_t FailingEnv::Write(int fd, const void* data, std::size_t size) noexcept {
  if (Fails(EnvCall::kWrite))
    return -1;
  struct stat info {};
  if (m_fileSizeLimit >= 0 && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    const off_t at = lseek(fd, 0, SEEK_CUR);
    if (at >= m_fileSizeLimit) {
      m_failed.push_back(EnvCall::kWrite);
      errno = EFBIG;
      return -1;
    }
    size = std::min(size, static_cast<std::size_t>(m_fileSizeLimit - at));
  }
  return EnvWrapper::Write(fd, data, size);
}

int FailingEnv::Fchmod(int fd, mode_t mode) noexcept {
  return Fails(EnvCall::kFchmod) ? -1 : EnvWrapper::Fchmod(fd, mode);
}

int FailingEnv::Fsync(int fd) noexcept {
  return Fails(EnvCall::kFsync) ? -1 : EnvWrapper::Fsync(fd);
}

int FailingEnv::Close(int fd) noexcept {
  if (Fails(EnvCall::kClose)) {
    const int error = errno;
    EnvWrapper::Close(fd);  // as close(2), the descriptor is gone even when it fails
    errno = error;
    return -1;
  }
  return EnvWrapper::Close(fd);
}

int FailingEnv::Rename(const std::string& from, const std::string& to) noexcept {
  return Fails(EnvCall::kRename, from, to) ? -1 : EnvWrapper::Rename(from, to);
}

int FailingEnv::Unlink(const std::string& path) noexcept {
  return Fails(EnvCall::kUnlink, path) ? -1 : EnvWrapper::Unlink(path);
}

int FailingEnv::Mkdir(const std::string& path, mode_t mode) noexcept {
  return Fails(EnvCall::kMkdir, path) ? -1 : EnvWrapper::Mkdir(path, mode);
}

}  // namespace quire::testing
