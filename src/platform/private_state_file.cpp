#include "platform/private_state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/file_write.h"
#include "platform/make_folders.h"

namespace quire {

namespace {

// Tries for a free name for the new file before giving up.
constexpr int kTemporaryNameTries = 64;

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0)
      close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return m_fd; }
  bool Valid() const { return m_fd >= 0; }

 private:
  int m_fd;
};

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

// The folder opened without following a link, when it is the user's own and nobody else
// may write to it; -1 otherwise.
int OpenOwnFolder(const std::string& folder) {
  const std::string path = WithoutTrailingSlashes(folder);
  if (path.empty() || path.front() != '/')
    return -1;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::optional<std::string> ReadAt(int folderFd, const std::string& name, size_t maxBytes) {
  // Non-blocking, so that a pipe planted under the name cannot make the open wait.
  Descriptor file(
      openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file.Valid())
    return std::nullopt;
  struct stat info {};
  if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
      info.st_size < 0 || static_cast<uint64_t>(info.st_size) > maxBytes)
    return std::nullopt;
  std::string text;
  char buffer[16384];
  while (true) {
    const ssize_t got = read(file.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return std::nullopt;
    if (got == 0)
      return text;
    // The file may have grown since it was measured.
    if (text.size() + static_cast<size_t>(got) > maxBytes)
      return std::nullopt;
    text.append(buffer, static_cast<size_t>(got));
  }
}

// A name no other writer uses now: this process, a count and the time. A name taken all
// the same (a file left by a crash) makes the caller try the next.
std::string TemporaryName(const std::string& name) {
  static std::atomic<unsigned> counter{0};
  struct timespec now {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return "." + name + "." + std::to_string(getpid()) + "." + std::to_string(counter++) + "." +
         std::to_string(now.tv_nsec) + ".new";
}

// Writes `text` into a new file in the folder and renames it to `name`.
bool ReplaceAt(int folderFd, const std::string& name, const std::string& text) {
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kTemporaryNameTries && fd < 0; ++attempt) {
    temporary = TemporaryName(name);
    fd = openat(folderFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                S_IRUSR | S_IWUSR);
    if (fd < 0 && errno != EEXIST)
      return false;
  }
  if (fd < 0)
    return false;
  // Owner-only whatever the umask left.
  bool written = fchmod(fd, S_IRUSR | S_IWUSR) == 0 && WriteAllBytes(fd, text) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (written && renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) == 0) {
    fsync(folderFd);
    return true;
  }
  unlinkat(folderFd, temporary.c_str(), 0);
  return false;
}

}  // namespace

std::optional<std::string> ReadPrivateStateFile(const std::string& folder, const std::string& name,
                                                size_t maxBytes) {
  if (!IsPlainName(name))
    return std::nullopt;
  Descriptor folderFd(OpenOwnFolder(folder));
  if (!folderFd.Valid())
    return std::nullopt;
  return ReadAt(folderFd.Get(), name, maxBytes);
}

bool UpdatePrivateStateFile(const std::string& folder, const std::string& name, size_t maxBytes,
                            const StateFileUpdate& update) {
  if (!IsPlainName(name) || folder.empty() || folder.front() != '/')
    return false;
  if (!MakeFolders(folder, S_IRWXU))
    return false;
  Descriptor folderFd(OpenOwnFolder(folder));
  if (!folderFd.Valid())
    return false;
  // The lock on the folder keeps two writers from building on the same old text; it goes
  // with the descriptor.
  while (flock(folderFd.Get(), LOCK_EX) != 0) {
    if (errno != EINTR)
      return false;
  }
  const std::string text = update(ReadAt(folderFd.Get(), name, maxBytes));
  return ReplaceAt(folderFd.Get(), name, text);
}

}  // namespace quire
