#include "book/book_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quire {

namespace {

constexpr size_t kBufferSize = 4096;

}  // namespace

BookInput::~BookInput() {
  Close();
}

bool BookInput::Open(const std::string& path) {
  Close();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  m_fd = fd;
  m_size = st.st_size;
  m_position = 0;
  m_bufferFill = 0;
  return true;
}

void BookInput::Close() {
  if (m_fd >= 0)
    close(m_fd);
  m_fd = -1;
  m_size = 0;
  m_position = 0;
  m_bufferFill = 0;
}

bool BookInput::Seek(int64_t position) {
  if (m_fd < 0 || position < 0 || position > m_size)
    return false;
  m_position = position;
  return true;
}

bool BookInput::Read(void* out, size_t size) {
  if (static_cast<uint64_t>(Remaining()) < size)
    return false;
  return ReadSome(out, size) == size;
}

size_t BookInput::ReadSome(void* out, size_t size) {
  if (m_fd < 0)
    return 0;
  uint8_t* dest = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < size) {
    // Served from the buffer when the position lies inside it.
    if (m_position >= m_bufferStart &&
        m_position < m_bufferStart + static_cast<int64_t>(m_bufferFill)) {
      size_t offset = static_cast<size_t>(m_position - m_bufferStart);
      size_t n = std::min(size - done, m_bufferFill - offset);
      std::memcpy(dest + done, m_buffer.data() + offset, n);
      done += n;
      m_position += static_cast<int64_t>(n);
      continue;
    }
    const size_t want = size - done;
    if (want >= kBufferSize) {
      // Large reads go straight to the caller.
      ssize_t n = pread(m_fd, dest + done, want, m_position);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        break;
      done += static_cast<size_t>(n);
      m_position += n;
      continue;
    }
    m_buffer.resize(kBufferSize);
    ssize_t n = pread(m_fd, m_buffer.data(), kBufferSize, m_position);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      m_bufferFill = 0;
      break;
    }
    m_bufferStart = m_position;
    m_bufferFill = static_cast<size_t>(n);
  }
  return done;
}

size_t BookInput::ReadAt(int64_t position, void* out, size_t size) const {
  if (m_fd < 0 || position < 0)
    return 0;
  uint8_t* dest = static_cast<uint8_t*>(out);
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(m_fd, dest + done, size - done, position + static_cast<int64_t>(done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace quire
