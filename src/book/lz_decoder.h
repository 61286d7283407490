// The container's LZ decoder, shared by LzUnpack (memory to memory) and UnpackFile (file
// to file). Internal to src/book.
//
// Stream format. A bit stream read from its first byte onward; inside each byte the least
// significant bit comes first, and a field of n bits has its first bit as its least
// significant bit. Tokens:
//   literal  flag 0, then 8 bits: one byte
//   copy     flag 1, then a 4-bit length code L (0..14), then a 13-bit distance D:
//            L + 3 bytes (3..17) copied one at a time from window position (p - D) mod
//            8192 onward, the source wrapping at 8192 as well; a copy may overlap its
//            own output
//   end      flag 1, then the length code 15; no distance follows
// Every byte goes to window position p of a circular 8192-byte window; when p reaches
// 8192 the whole window is output and p restarts at 0, keeping the window's contents for
// later copies. At the end token the first p bytes are output. Bits after the end token
// are ignored. D = 0 reads the byte that is about to be overwritten, i.e. the one written
// 8192 bytes earlier. The window starts out zero, so a damaged stream that reaches before
// its first byte yields zeros, never stale memory.
#ifndef QUIRE_BOOK_LZ_DECODER_H_
#define QUIRE_BOOK_LZ_DECODER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quire::lz_internal {

inline constexpr uint32_t kWindowSize = 8192;
inline constexpr uint32_t kWindowMask = kWindowSize - 1;
inline constexpr uint32_t kMinCopy = 3;
inline constexpr uint32_t kEndCode = 15;
inline constexpr unsigned kLiteralBits = 1 + 8;
inline constexpr unsigned kCopyBits = 1 + 4 + 13;

enum class DecodeResult { kDone, kTruncated, kOutputFailed };

// Everything one decoding run keeps.
struct DecoderState {
  uint8_t window[kWindowSize] = {};  // the last 8192 bytes written, circular
  uint32_t p = 0;                    // next window position to write, 0..8191
  uint64_t bits = 0;                 // bit reservoir: the next unread bit is bit 0
  unsigned bitCount = 0;             // valid bits in `bits`, 0..64
  const uint8_t* next = nullptr;     // unread input of the current block
  const uint8_t* end = nullptr;      // end of the current block
};

// Decodes one stream. `source.Refill(&next, &end)` hands over the next block of input
// (false when there is none left); `sink.Write(data, size)` takes output and returns
// false when it cannot. The full window goes to the sink each time it fills; at the end
// token the first p bytes go. On a truncated stream the partial window is not written.
template <typename Source, typename Sink>
DecodeResult Decode(DecoderState& s, Source& source, Sink& sink) {
  bool inputLeft = true;
  // Tops the reservoir up to at least 57 bits, or to whatever input remains.
  auto refill = [&]() {
    if (s.end - s.next >= 8) {
      uint64_t word;
      std::memcpy(&word, s.next, 8);  // the stream is little-endian, like the reservoir
      s.bits |= word << s.bitCount;
      s.next += (63 - s.bitCount) >> 3;
      s.bitCount |= 56;
      return;
    }
    while (s.bitCount <= 56) {
      if (s.next == s.end) {
        if (!inputLeft || !source.Refill(&s.next, &s.end)) {
          inputLeft = false;
          return;
        }
        if (s.end - s.next >= 8) {
          uint64_t word;
          std::memcpy(&word, s.next, 8);
          s.bits |= word << s.bitCount;
          s.next += (63 - s.bitCount) >> 3;
          s.bitCount |= 56;
          return;
        }
        continue;
      }
      s.bits |= static_cast<uint64_t>(*s.next++) << s.bitCount;
      s.bitCount += 8;
    }
  };
  auto take = [&](unsigned n) {
    uint32_t value = static_cast<uint32_t>(s.bits & ((uint64_t{1} << n) - 1));
    s.bits >>= n;
    s.bitCount -= n;
    return value;
  };

  for (;;) {
    if (s.bitCount < kCopyBits) {
      refill();
      if (s.bitCount < 1)
        return DecodeResult::kTruncated;
    }
    if ((s.bits & 1) == 0) {
      if (s.bitCount < kLiteralBits)
        return DecodeResult::kTruncated;
      s.window[s.p++] = static_cast<uint8_t>((s.bits >> 1) & 0xFF);
      s.bits >>= kLiteralBits;
      s.bitCount -= kLiteralBits;
      if (s.p == kWindowSize) {
        if (!sink.Write(s.window, kWindowSize))
          return DecodeResult::kOutputFailed;
        s.p = 0;
      }
      continue;
    }
    if (s.bitCount < 5)
      return DecodeResult::kTruncated;
    const uint32_t code = static_cast<uint32_t>((s.bits >> 1) & 0xF);
    if (code == kEndCode) {
      take(5);
      return sink.Write(s.window, s.p) ? DecodeResult::kDone : DecodeResult::kOutputFailed;
    }
    if (s.bitCount < kCopyBits)
      return DecodeResult::kTruncated;
    take(5);
    const uint32_t distance = take(13);
    uint32_t length = code + kMinCopy;
    uint32_t from = (s.p - distance) & kWindowMask;
    // Fast path: neither range wraps and the copy does not read its own output, so a
    // block move equals the byte-by-byte copy (a source after the destination is read
    // before it is overwritten either way).
    if (s.p + length < kWindowSize && from + length <= kWindowSize && distance >= length) {
      std::memmove(s.window + s.p, s.window + from, length);
      s.p += length;
      continue;
    }
    while (length-- > 0) {
      s.window[s.p] = s.window[from];
      from = (from + 1) & kWindowMask;
      if (++s.p == kWindowSize) {
        if (!sink.Write(s.window, kWindowSize))
          return DecodeResult::kOutputFailed;
        s.p = 0;
      }
    }
  }
}

}  // namespace quire::lz_internal

#endif  // QUIRE_BOOK_LZ_DECODER_H_
