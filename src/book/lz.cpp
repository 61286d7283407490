// The container's LZ packing. The stream format is described in lz_decoder.h.
//
// The encoder finds matches with hash chains over the last 8191 bytes: every position is
// entered under the hash of its first three bytes, and a bounded walk down the chain picks
// the longest match (3 to 17 bytes). Distances stay within 1..8191, so no copy ever reaches
// before the first byte of the stream. A match is deferred by one byte when the next
// position offers a longer one (lazy matching), which gains a few percent on text.
#include "book/lz.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "book/lz_decoder.h"

namespace quire {

namespace {

using lz_internal::kEndCode;
using lz_internal::kMinCopy;
using lz_internal::kWindowSize;

constexpr uint32_t kMaxCopy = kMinCopy + 14;
constexpr uint32_t kMaxDistance = kWindowSize - 1;
constexpr int kHashBits = 14;
constexpr uint32_t kNoPosition = UINT32_MAX;
constexpr int kMaxChainSteps = 48;

// Collects fields least significant bit first, as the decoder reads them.
class BitWriter {
 public:
  explicit BitWriter(std::string* out) : m_out(out) {}
  void Put(uint32_t value, unsigned count) {
    m_bits |= static_cast<uint64_t>(value) << m_count;
    m_count += count;
    while (m_count >= 8) {
      m_out->push_back(static_cast<char>(m_bits & 0xFF));
      m_bits >>= 8;
      m_count -= 8;
    }
  }
  void Flush() {
    if (m_count > 0)
      m_out->push_back(static_cast<char>(m_bits & 0xFF));
    m_bits = 0;
    m_count = 0;
  }

 private:
  std::string* m_out;
  uint64_t m_bits = 0;
  unsigned m_count = 0;
};

// Hash chains over the input: head per hash, and per window slot the previous position
// with the same hash.
class MatchFinder {
 public:
  explicit MatchFinder(std::string_view data)
      : m_data(reinterpret_cast<const uint8_t*>(data.data())),
        m_size(data.size()),
        m_head(size_t{1} << kHashBits, kNoPosition),
        m_prev(kWindowSize, kNoPosition) {}

  // Enters position `pos` (which must have three bytes ahead of it).
  void Insert(size_t pos) {
    uint32_t h = Hash(pos);
    m_prev[pos % kWindowSize] = m_head[h];
    m_head[h] = static_cast<uint32_t>(pos);
  }

  // Longest match for `pos` among the entered positions within reach; length 0 if none
  // of at least kMinCopy bytes.
  void Find(size_t pos, uint32_t* length, uint32_t* distance) const {
    *length = 0;
    *distance = 0;
    if (m_size - pos < kMinCopy)
      return;
    const size_t limit = std::min<size_t>(kMaxCopy, m_size - pos);
    uint32_t candidate = m_head[Hash(pos)];
    for (int steps = 0; steps < kMaxChainSteps && candidate != kNoPosition; ++steps) {
      if (candidate >= pos || pos - candidate > kMaxDistance)
        break;
      const uint8_t* a = m_data + candidate;
      const uint8_t* b = m_data + pos;
      if (a[*length] == b[*length] || *length == 0) {
        size_t n = 0;
        while (n < limit && a[n] == b[n])
          ++n;
        if (n >= kMinCopy && n > *length) {
          *length = static_cast<uint32_t>(n);
          *distance = static_cast<uint32_t>(pos - candidate);
          if (n == limit)
            break;
        }
      }
      uint32_t older = m_prev[candidate % kWindowSize];
      if (older == kNoPosition || older >= candidate)
        break;  // slot reused by a newer one
      candidate = older;
    }
  }

 private:
  uint32_t Hash(size_t pos) const {
    uint32_t v = m_data[pos] | (m_data[pos + 1] << 8) | (m_data[pos + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }

  const uint8_t* m_data;
  size_t m_size;
  std::vector<uint32_t> m_head;
  std::vector<uint32_t> m_prev;
};

}  // namespace

std::string LzPack(std::string_view data) {
  std::string out;
  out.reserve(data.size() + data.size() / 8 + 4);
  BitWriter writer(&out);
  MatchFinder finder(data);
  const size_t size = data.size();
  auto insertUpTo = [&](size_t from, size_t to) {
    for (size_t i = from; i < to && i + kMinCopy <= size; ++i)
      finder.Insert(i);
  };
  auto literal = [&](size_t pos) {
    writer.Put(0, 1);
    writer.Put(static_cast<uint8_t>(data[pos]), 8);
  };

  size_t pos = 0;
  while (pos < size) {
    uint32_t length = 0;
    uint32_t distance = 0;
    finder.Find(pos, &length, &distance);
    if (length >= kMinCopy && length < kMaxCopy && pos + 1 < size) {
      // Would starting one byte later give a longer copy?
      insertUpTo(pos, pos + 1);
      uint32_t nextLength = 0;
      uint32_t nextDistance = 0;
      finder.Find(pos + 1, &nextLength, &nextDistance);
      if (nextLength > length) {
        literal(pos);
        ++pos;
        length = nextLength;
        distance = nextDistance;
        insertUpTo(pos, pos + length);
      } else {
        insertUpTo(pos + 1, pos + length);
      }
    } else if (length >= kMinCopy) {
      insertUpTo(pos, pos + length);
    }
    if (length < kMinCopy) {
      insertUpTo(pos, pos + 1);
      literal(pos);
      ++pos;
      continue;
    }
    writer.Put(1, 1);
    writer.Put(length - kMinCopy, 4);
    writer.Put(distance, 13);
    pos += length;
  }
  writer.Put(1, 1);
  writer.Put(kEndCode, 4);
  writer.Flush();
  return out;
}

namespace {

struct MemorySource {
  std::string_view stream;
  bool given = false;
  bool Refill(const uint8_t** next, const uint8_t** end) {
    if (given || stream.empty())
      return false;
    given = true;
    *next = reinterpret_cast<const uint8_t*>(stream.data());
    *end = *next + stream.size();
    return true;
  }
};

struct StringSink {
  std::string* out;
  bool Write(const uint8_t* data, size_t size) {
    out->append(reinterpret_cast<const char*>(data), size);
    return true;
  }
};

}  // namespace

bool LzUnpack(std::string_view stream, std::string* out) {
  out->clear();
  auto state = std::make_unique<lz_internal::DecoderState>();
  MemorySource source{stream};
  StringSink sink{out};
  if (lz_internal::Decode(*state, source, sink) == lz_internal::DecodeResult::kDone)
    return true;
  out->append(reinterpret_cast<const char*>(state->window), state->p);  // what was decoded
  return false;
}

}  // namespace quire
