// Turning one entry's stored bytes into the file they stand for, in an open file: read
// straight from the book file in large blocks, unscrambled, decoded when packed, and
// written in large blocks, with no intermediate file.
#ifndef QUIRE_BOOK_ENTRY_EXTRACTOR_H_
#define QUIRE_BOOK_ENTRY_EXTRACTOR_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "book/book_input.h"
#include "platform/env.h"

namespace quire {

namespace lz_internal {
struct DecoderState;
}

class EntryExtractor {
 public:
  // Stored bytes are read, and output is written, in blocks of at most this size, so
  // memory stays bounded whatever the size of a file (unless it is changed, below).
  static constexpr size_t kBlockSize = size_t{1} << 20;

  enum class Result {
    kDone,
    kShortData,      // the stored bytes end (or cannot be read) before their size
    kDamagedStream,  // the LZ stream ends before its end token
    kWriteFailed,    // the output could not be written whole
  };

  // Given the whole of a file's bytes before they are written; may change them.
  using Change = std::function<void(std::string* bytes)>;

  // Files are written through `env`, which must outlive the extractor.
  explicit EntryExtractor(Env* env = Env::Default());
  ~EntryExtractor();
  EntryExtractor(const EntryExtractor&) = delete;
  EntryExtractor& operator=(const EntryExtractor&) = delete;

  // Writes the file stored as `size` bytes at `position` of `in` (an LZ stream when
  // `packed`) to `fd`, an empty file open for writing, which stays open. Bytes after the
  // end token are ignored. With `change`, the whole file is held in memory and `change`
  // sees it before it is written; it is not called when the bytes are not all there.
  // On a failure whatever was decoded before it stays written (for an LZ stream: every
  // full 8192-byte window), unchanged.
  Result Extract(const BookInput& in, int64_t position, int64_t size, bool packed, int fd,
                 const Change& change = {});

  // The first bytes (at most kHeadBytes) the last Extract wrote, so that a caller can tell
  // what kind of file it made without reading it back.
  static constexpr size_t kHeadBytes = 16;
  const std::string& Head() const { return m_head; }

 private:
  Result CopyStored(const BookInput& in, int64_t position, int64_t size, int fd, bool hold);
  Result DecodeStored(const BookInput& in, int64_t position, int64_t size, int fd, bool hold);
  uint8_t* InputBuffer(int64_t size);

  std::vector<uint8_t> m_input;
  Env* m_env;
  std::string m_held;  // output not yet written
  std::string m_head;  // the first bytes written
  std::unique_ptr<lz_internal::DecoderState> m_decoder;
};

}  // namespace quire

#endif  // QUIRE_BOOK_ENTRY_EXTRACTOR_H_
