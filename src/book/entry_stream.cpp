#include "book/entry_stream.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "book/container_format.h"
#include "book/lz_decoder.h"
#include "book/scrambled.h"

namespace quire {

namespace {

constexpr size_t kBlockSize = size_t{1} << 20;

// Hands the decoder the stored bytes block by block, unscrambled.
struct StoredSource {
  const BookInput& in;
  int64_t position;
  int64_t remaining;
  std::vector<uint8_t>& buffer;
  bool cameShort = false;

  bool Refill(const uint8_t** next, const uint8_t** end) {
    if (remaining <= 0 || cameShort)
      return false;
    const size_t want = static_cast<size_t>(std::min<int64_t>(remaining, buffer.size()));
    const size_t got = in.ReadAt(position, buffer.data(), want);
    cameShort = got < want;
    if (got == 0)
      return false;
    XorBytes(buffer.data(), got, kDataKey);
    position += static_cast<int64_t>(got);
    remaining -= static_cast<int64_t>(got);
    *next = buffer.data();
    *end = buffer.data() + got;
    return true;
  }
};

struct BlockSink {
  const EntryBlockSink& sink;
  bool Write(const uint8_t* data, size_t size) {
    return sink(std::string_view(reinterpret_cast<const char*>(data), size));
  }
};

}  // namespace

EntryStreamResult StreamEntry(const BookInput& in, int64_t position, int64_t size, bool packed,
                              const EntryBlockSink& sink) {
  if (position < 0 || size < 0)
    return EntryStreamResult::kShortData;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::clamp<int64_t>(size, 1, kBlockSize)));
  if (!packed) {
    while (size > 0) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(size, kBlockSize));
      const size_t got = in.ReadAt(position, buffer.data(), want);
      XorBytes(buffer.data(), got, kDataKey);
      if (got > 0 && !sink(std::string_view(reinterpret_cast<const char*>(buffer.data()), got)))
        return EntryStreamResult::kDone;
      if (got < want)
        return EntryStreamResult::kShortData;
      position += static_cast<int64_t>(got);
      size -= static_cast<int64_t>(got);
    }
    return EntryStreamResult::kDone;
  }
  auto decoder = std::make_unique<lz_internal::DecoderState>();
  StoredSource source{in, position, size, buffer};
  BlockSink out{sink};
  switch (lz_internal::Decode(*decoder, source, out)) {
    case lz_internal::DecodeResult::kDone:
    case lz_internal::DecodeResult::kOutputFailed:  // the sink stopped
      return EntryStreamResult::kDone;
    case lz_internal::DecodeResult::kTruncated:
      break;
  }
  return source.cameShort ? EntryStreamResult::kShortData : EntryStreamResult::kDamagedStream;
}

}  // namespace quire
