// Reading a book file: a read-only handle with a position, a known size and a small read
// buffer, so that the many 4-byte fields of a record cost no system call each.
#ifndef QUIRE_BOOK_BOOK_INPUT_H_
#define QUIRE_BOOK_BOOK_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quire {

class BookInput {
 public:
  BookInput() = default;
  ~BookInput();
  BookInput(const BookInput&) = delete;
  BookInput& operator=(const BookInput&) = delete;

  // Opens `path` for reading; false when it cannot be opened or is not a regular file.
  bool Open(const std::string& path);
  bool IsOpen() const { return m_fd >= 0; }
  void Close();

  // Size of the file when it was opened.
  int64_t Size() const { return m_size; }
  int64_t Position() const { return m_position; }
  // Bytes from the position to the end of the file (0 when beyond it).
  int64_t Remaining() const { return m_position < m_size ? m_size - m_position : 0; }

  // Moves to `position`; false when it is negative or beyond the end of the file.
  bool Seek(int64_t position);
  // Reads exactly `size` bytes; false (position unspecified) when fewer remain or the
  // read fails.
  bool Read(void* out, size_t size);
  // Reads up to `size` bytes; returns how many arrived (0 at the end or on error).
  size_t ReadSome(void* out, size_t size);
  // Reads up to `size` bytes at `position`, straight from the file: neither the position
  // nor the small buffer is used, so large blocks cost one system call and no copy.
  // Returns how many arrived (fewer only at the end of the file or on an error).
  size_t ReadAt(int64_t position, void* out, size_t size) const;

 private:
  int m_fd = -1;
  int64_t m_size = 0;
  int64_t m_position = 0;
  // Buffered bytes are those of the file at [m_bufferStart, m_bufferStart + m_bufferFill).
  std::vector<uint8_t> m_buffer;
  int64_t m_bufferStart = 0;
  size_t m_bufferFill = 0;
};

}  // namespace quire

#endif  // QUIRE_BOOK_BOOK_INPUT_H_
