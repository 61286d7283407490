// Output collected in 65536-byte blocks before it reaches the file.
#ifndef QUIRE_BOOK_BUFFERED_FILE_WRITER_H_
#define QUIRE_BOOK_BUFFERED_FILE_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quire {

class BufferedFileWriter {
 public:
  static constexpr size_t kBufferSize = 65536;

  BufferedFileWriter();
  // Closes the file if still open; a failure at that point goes unnoticed, so callers
  // that care call Close().
  ~BufferedFileWriter();
  BufferedFileWriter(const BufferedFileWriter&) = delete;
  BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

  // Creates or truncates `path` with mode 0600 (a link there is not followed). False
  // when it cannot be created.
  bool Open(const std::string& path);
  // Writes into `fd`, an open file, from its current offset; the writer owns and closes it.
  void Attach(int fd);
  // A write that would bring the buffered count above the buffer size first writes the
  // buffer out; a block that fits is then buffered, a larger one written directly.
  // False once anything could not be written; later writes then fail too.
  bool Write(const void* data, size_t size);
  // Writes out what is buffered and closes the file. True only if every byte ever
  // handed to Write reached the file and the close succeeded.
  bool Close();

 private:
  bool WriteOut(const uint8_t* data, size_t size);
  bool Flush();

  int m_fd = -1;
  bool m_failed = false;
  std::unique_ptr<uint8_t[]> m_buffer;
  size_t m_fill = 0;
};

}  // namespace quire

#endif  // QUIRE_BOOK_BUFFERED_FILE_WRITER_H_
