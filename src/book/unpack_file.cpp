#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "book/buffered_file_writer.h"
#include "book/container_reader.h"
#include "book/lz_decoder.h"

namespace quire {

namespace {

constexpr size_t kInputBlock = 32768;

// Hands the decoder the packed file in 32768-byte blocks.
struct FileSource {
  int fd;
  uint8_t* buffer;
  bool Refill(const uint8_t** next, const uint8_t** end) {
    for (;;) {
      ssize_t n = read(fd, buffer, kInputBlock);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      *next = buffer;
      *end = buffer + n;
      return true;
    }
  }
};

struct WriterSink {
  BufferedFileWriter* writer;
  bool Write(const uint8_t* data, size_t size) { return writer->Write(data, size); }
};

}  // namespace

namespace {

// Decodes everything `fd` holds from its current offset into `writer`, then closes the
// writer.
bool Decode(int fd, BufferedFileWriter& writer) {
  auto input = std::make_unique<uint8_t[]>(kInputBlock);
  auto state = std::make_unique<lz_internal::DecoderState>();
  FileSource source{fd, input.get()};
  WriterSink sink{&writer};
  const bool decoded =
      lz_internal::Decode(*state, source, sink) == lz_internal::DecodeResult::kDone;
  const bool written = writer.Close();
  return decoded && written;
}

}  // namespace

bool UnpackFile(const std::string& packedPath, const std::string& outputPath) {
  int fd = open(packedPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  BufferedFileWriter writer;
  if (!writer.Open(outputPath)) {
    close(fd);
    return false;
  }
  const bool ok = Decode(fd, writer);
  close(fd);
  return ok;
}

bool UnpackDescriptors(int packedFd, int outputFd) {
  const int output = dup(outputFd);  // the writer closes its own copy
  if (output < 0 || lseek(packedFd, 0, SEEK_SET) != 0 || lseek(output, 0, SEEK_SET) != 0 ||
      ftruncate(output, 0) != 0) {
    if (output >= 0)
      close(output);
    return false;
  }
  BufferedFileWriter writer;
  writer.Attach(output);
  return Decode(packedFd, writer);
}

}  // namespace quire
