#include "book/buffered_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/file_write.h"

namespace quire {

BufferedFileWriter::BufferedFileWriter() : m_buffer(new uint8_t[kBufferSize]) {}

BufferedFileWriter::~BufferedFileWriter() {
  if (m_fd >= 0)
    Close();
}

bool BufferedFileWriter::Open(const std::string& path) {
  if (m_fd >= 0)
    Close();
  m_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  m_failed = m_fd < 0;
  m_fill = 0;
  return m_fd >= 0;
}

void BufferedFileWriter::Attach(int fd) {
  if (m_fd >= 0)
    Close();
  m_fd = fd;
  m_failed = fd < 0;
  m_fill = 0;
}

bool BufferedFileWriter::WriteOut(const uint8_t* data, size_t size) {
  if (!WriteAllBytes(m_fd, std::string_view(reinterpret_cast<const char*>(data), size))) {
    m_failed = true;
    return false;
  }
  return true;
}

bool BufferedFileWriter::Flush() {
  bool ok = WriteOut(m_buffer.get(), m_fill);
  m_fill = 0;
  return ok;
}

bool BufferedFileWriter::Write(const void* data, size_t size) {
  if (m_fd < 0 || m_failed)
    return false;
  if (m_fill + size > kBufferSize && !Flush())
    return false;
  if (size <= kBufferSize) {
    std::memcpy(m_buffer.get() + m_fill, data, size);
    m_fill += size;
    return true;
  }
  return WriteOut(static_cast<const uint8_t*>(data), size);
}

bool BufferedFileWriter::Close() {
  if (m_fd < 0)
    return false;
  bool ok = !m_failed && Flush();
  if (close(m_fd) != 0)
    ok = false;
  m_fd = -1;
  return ok && !m_failed;
}

}  // namespace quire
