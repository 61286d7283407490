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

bool UnpackFile(const std::string& packedPath, const std::string& outputPath) {
  int fd = open(packedPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  BufferedFileWriter writer;
  if (!writer.Open(outputPath)) {
    close(fd);
    return false;
  }
  auto input = std::make_unique<uint8_t[]>(kInputBlock);
  auto state = std::make_unique<lz_internal::DecoderState>();
  FileSource source{fd, input.get()};
  WriterSink sink{&writer};
  bool decoded = lz_internal::Decode(*state, source, sink) == lz_internal::DecodeResult::kDone;
  close(fd);
  bool written = writer.Close();
  return decoded && written;
}

}  // namespace quire
