// The container's LZ decoder, shared by LzUnpack (memory to memory), EntryExtractor (a
// book's packed entry to its file) and UnpackFile (file to file). Internal to src/book.
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
// The flag bits of six literal tokens in a row.
inline constexpr uint64_t kSixLiteralFlags =
    1ull | 1ull << 9 | 1ull << 18 | 1ull << 27 | 1ull << 36 | 1ull << 45;

enum class DecodeResult { kDone, kTruncated, kOutputFailed };

// Everything one decoding run keeps.
struct DecoderState {
  uint8_t window[kWindowSize + 8] = {};  // the last 8192 bytes written, circular; 8
                                         // spare bytes so a word store may pass the end
  uint32_t p = 0;                        // next window position to write, 0..8191
  uint64_t bits = 0;                     // bit reservoir: the next unread bit is bit 0
  unsigned bitCount = 0;                 // valid bits in `bits`, 0..64
  const uint8_t* next = nullptr;         // unread input of the current block
  const uint8_t* end = nullptr;          // end of the current block
};

// Decodes one stream. `source.Refill(&next, &end)` hands over the next block of input
// (false when there is none left); `sink.Write(data, size)` takes output and returns
// false when it cannot. The full window goes to the sink each time it fills; at the end
// token the first p bytes go. On a truncated stream the partial window is not written.
// The state is worked on in local copies (byte stores into the window could otherwise
// alias the reservoir and force reloads) and stored back into `s` on return.
template <typename Source, typename Sink>
DecodeResult Decode(DecoderState& s, Source& source, Sink& sink) {
  uint8_t* const window = s.window;
  uint32_t p = s.p;
  uint64_t bits = s.bits;
  unsigned bitCount = s.bitCount;
  const uint8_t* next = s.next;
  const uint8_t* end = s.end;
  const uint8_t* blockStart = s.next;  // first byte of the current input block
  bool inputLeft = true;

  auto finish = [&](DecodeResult result) {
    s.p = p;
    s.bits = bits;
    s.bitCount = bitCount;
    s.next = next;
    s.end = end;
    return result;
  };
  // Eight bytes at once: the reservoir then holds 56 to 63 valid bits. The bits above
  // bitCount come from bytes not yet consumed, so the next load ORs the same values in.
  auto loadWord = [&]() {
    uint64_t word;
    std::memcpy(&word, next, 8);  // the stream is little-endian, like the reservoir
    bits |= word << bitCount;
    next += (63 - bitCount) >> 3;
    bitCount |= 56;
  };
  // Tops the reservoir up to at least 57 bits, or to whatever input remains.
  auto refill = [&]() {
    if (end - next >= 8) {
      loadWord();
      return;
    }
    while (bitCount <= 56) {
      if (next == end) {
        if (!inputLeft || !source.Refill(&next, &end)) {
          inputLeft = false;
          return;
        }
        blockStart = next;
        if (end - next >= 8) {
          loadWord();
          return;
        }
        continue;
      }
      bits |= static_cast<uint64_t>(*next++) << bitCount;
      bitCount += 8;
    }
  };
  // A long run of literals, read straight from the input. Eight literal tokens take 72
  // bits, nine whole bytes, so the bit offset inside a byte stays the same through the
  // run and every byte of a group can be taken out independently of the others. Called
  // with the reservoir's bits all inside the current block and at least 32 input bytes
  // left; each group loads 16 bytes and stops while 8 remain after it, so rebuilding
  // the reservoir at the first token not taken never reads past the block.
  auto takeLiteralRun = [&]() {
    const uint64_t position = static_cast<uint64_t>(next - blockStart) * 8 - bitCount;
    const uint8_t* q = blockStart + position / 8;
    const unsigned o = static_cast<unsigned>(position % 8);
    constexpr uint64_t kEightFlags = kSixLiteralFlags | 1ull << 54 | 1ull << 63;
    while (p + 8 <= kWindowSize && end - q >= 17) {
      uint64_t a;
      uint64_t b;
      std::memcpy(&a, q, 8);
      std::memcpy(&b, q + 8, 8);
      const uint64_t lo = (a >> o) | ((b << 1) << (63 - o));  // stream bits 0..63 of the group
      if ((lo & kEightFlags) != 0)
        break;
      // The eight bytes are gathered into one word, one store instead of eight. Byte k of
      // the group sits at bit 9k of x; three steps close the gaps: odd bytes move down 1,
      // then bytes 2, 3 and 6 move down 2, then bytes 4 to 6 move down 4.
      const uint64_t x = lo >> 1;
      const uint64_t x1 = (x & 0x3FC00FF003FC00FFull) | ((x >> 1) & 0x000FF003FC00FF00ull);
      const uint64_t x2 = (x1 & 0x000FFFF00000FFFFull) | ((x1 >> 2) & 0x0FF00000FFFF0000ull);
      const uint64_t group = (x2 & 0xFFFFFFFFull) | ((x2 >> 4) & 0x00FFFFFF00000000ull) |
                             ((b >> o) << 56);  // stream bits 64..71
      std::memcpy(window + p, &group, 8);
      p += 8;
      q += 9;
    }
    next = q;
    bits = 0;
    bitCount = 0;
    loadWord();  // q has at least 16 bytes behind it
    bits >>= o;
    bitCount -= o;
  };
  auto take = [&](unsigned n) {
    uint32_t value = static_cast<uint32_t>(bits & ((uint64_t{1} << n) - 1));
    bits >>= n;
    bitCount -= n;
    return value;
  };
  auto put = [&](uint8_t byte) {
    window[p] = byte;
    if (++p == kWindowSize) {
      p = 0;
      return sink.Write(window, kWindowSize);
    }
    return true;
  };

  for (;;) {
    if (bitCount < kCopyBits) {
      refill();
      if (bitCount < 1)
        return finish(DecodeResult::kTruncated);
    }
    // Runs of literals: six 9-bit literal tokens fit in a full reservoir, and when all six
    // flags are 0 their bytes can be taken out independently of one another. The run
    // stays in this inner loop while whole words of input remain.
    if ((bits & kSixLiteralFlags) == 0 && bitCount >= 6 * kLiteralBits && p + 6 <= kWindowSize) {
      for (;;) {
        uint8_t* out = window + p;
        out[0] = static_cast<uint8_t>(bits >> 1);
        out[1] = static_cast<uint8_t>(bits >> 10);
        out[2] = static_cast<uint8_t>(bits >> 19);
        out[3] = static_cast<uint8_t>(bits >> 28);
        out[4] = static_cast<uint8_t>(bits >> 37);
        out[5] = static_cast<uint8_t>(bits >> 46);
        bits >>= 6 * kLiteralBits;
        bitCount -= 6 * kLiteralBits;
        p += 6;
        if (p + 6 > kWindowSize || end - next < 8)
          break;
        loadWord();
        if ((bits & kSixLiteralFlags) != 0)
          break;
        // Twelve literals in a row: likely a long run, worth reading straight from the input.
        if ((next - blockStart) * 8 >= bitCount && end - next >= 32 && p + 8 <= kWindowSize) {
          takeLiteralRun();
          break;
        }
      }
      if (p == kWindowSize) {
        p = 0;
        if (!sink.Write(window, kWindowSize))
          return finish(DecodeResult::kOutputFailed);
      }
      continue;
    }
    if ((bits & 1) == 0) {
      if (bitCount < kLiteralBits)
        return finish(DecodeResult::kTruncated);
      const uint8_t byte = static_cast<uint8_t>(bits >> 1);
      bits >>= kLiteralBits;
      bitCount -= kLiteralBits;
      if (!put(byte))
        return finish(DecodeResult::kOutputFailed);
      continue;
    }
    if (bitCount < 5)
      return finish(DecodeResult::kTruncated);
    const uint32_t code = static_cast<uint32_t>((bits >> 1) & 0xF);
    if (code == kEndCode) {
      take(5);
      return finish(sink.Write(window, p) ? DecodeResult::kDone : DecodeResult::kOutputFailed);
    }
    if (bitCount < kCopyBits)
      return finish(DecodeResult::kTruncated);
    take(5);
    const uint32_t distance = take(13);
    uint32_t length = code + kMinCopy;
    uint32_t from = (p - distance) & kWindowMask;
    // Fast path: neither range wraps and the copy does not read its own output, so a
    // block move equals the byte-by-byte copy (a source after the destination is read
    // before it is overwritten either way).
    if (p + length < kWindowSize && from + length <= kWindowSize && distance >= length) {
      std::memmove(window + p, window + from, length);
      p += length;
      continue;
    }
    while (length-- > 0) {
      const uint8_t byte = window[from];
      from = (from + 1) & kWindowMask;
      if (!put(byte))
        return finish(DecodeResult::kOutputFailed);
    }
  }
}

}  // namespace quire::lz_internal

#endif  // QUIRE_BOOK_LZ_DECODER_H_
