#include "platform/text_case.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/ascii_text.h"
#include "platform/utf8.h"
#include "platform/windows1252.h"

namespace quire {

namespace {

// Code points first, first + stride, ... (count of them) map to themselves + delta.
struct CaseRun {
  uint32_t first;
  uint32_t count;
  uint32_t stride;
  int32_t delta;
};

// kUpperRuns and kLowerRuns: Unicode's simple case mappings, written from utf8proc's data
// when the project is built (tools/case_table), sorted by first code point.
#include "platform/case_table.inc"

enum class Case { kUpper, kLower };

template <size_t N>
uint32_t MapByRuns(const CaseRun (&runs)[N], uint32_t cp) {
  const CaseRun* end = runs + N;
  const CaseRun* after =
      std::upper_bound(runs, end, cp, [](uint32_t c, const CaseRun& run) { return c < run.first; });
  if (after == runs)
    return cp;
  const CaseRun& run = *(after - 1);
  const uint32_t offset = cp - run.first;
  if (offset % run.stride != 0 || offset / run.stride >= run.count)
    return cp;
  return static_cast<uint32_t>(static_cast<int64_t>(cp) + run.delta);
}

uint32_t MapCodePoint(uint32_t codePoint, Case to) {
  return to == Case::kUpper ? MapByRuns(kUpperRuns, codePoint) : MapByRuns(kLowerRuns, codePoint);
}

using ByteMap = std::array<char, 256>;

// Each Windows-1252 byte to the byte of its character's mapping, or to itself.
ByteMap MakeWindows1252Map(Case to) {
  ByteMap map;
  for (int byte = 0; byte < 256; ++byte) {
    map[static_cast<size_t>(byte)] = static_cast<char>(byte);
    const uint32_t cp = Windows1252ToCodePoint(static_cast<uint8_t>(byte));
    if (cp == 0)
      continue;
    const int mapped = CodePointToWindows1252(MapCodePoint(cp, to));
    if (mapped > 0)
      map[static_cast<size_t>(byte)] = static_cast<char>(mapped);
  }
  return map;
}

const ByteMap& Windows1252Map(Case to) {
  static const ByteMap upper = MakeWindows1252Map(Case::kUpper);
  static const ByteMap lower = MakeWindows1252Map(Case::kLower);
  return to == Case::kUpper ? upper : lower;
}

// Appends `text` with its case changed.
void AppendMapped(std::string_view text, TextEncoding encoding, Case to, std::string* out) {
  if (encoding == TextEncoding::kWindows1252) {
    const ByteMap& map = Windows1252Map(to);
    for (char c : text)
      out->push_back(map[static_cast<unsigned char>(c)]);
    return;
  }
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 0x80) {
      out->push_back(to == Case::kUpper ? AsciiUpper(c) : AsciiLower(c));
      ++i;
      continue;
    }
    uint32_t cp = 0;
    const size_t length = DecodeUtf8(text, i, &cp);
    if (length == 0) {
      out->push_back(c);  // not UTF-8: the byte stays
      ++i;
      continue;
    }
    const uint32_t mapped = MapCodePoint(cp, to);
    if (mapped == cp)
      out->append(text.substr(i, length));
    else
      AppendUtf8(mapped, out);
    i += length;
  }
}

std::string Mapped(std::string_view text, TextEncoding encoding, Case to) {
  std::string out;
  out.reserve(text.size());
  AppendMapped(text, encoding, to, &out);
  return out;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = 0x8080808080808080ull;

// Eight bytes with their lower-case ASCII letters upper-cased: a byte is such a letter
// when its low seven bits lie in 'a'..'z' and its top bit is clear; it loses its 0x20 bit.
inline uint64_t FoldAsciiWord(uint64_t x) {
  const uint64_t low = x & ~kHigh;
  const uint64_t atLeastA = low + kOnes * (0x80 - 'a');
  const uint64_t aboveZ = low + kOnes * (0x80 - 'z' - 1);
  const uint64_t letters = (atLeastA ^ aboveZ) & ~x & kHigh;
  return x ^ (letters >> 2);
}

}  // namespace

std::string UpperCased(std::string_view text, TextEncoding encoding) {
  return Mapped(text, encoding, Case::kUpper);
}

std::string LowerCased(std::string_view text, TextEncoding encoding) {
  return Mapped(text, encoding, Case::kLower);
}

void FoldAsciiCase(char* text, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t x;
    memcpy(&x, text + i, 8);
    x = FoldAsciiWord(x);
    memcpy(text + i, &x, 8);
  }
  for (; i < length; ++i)
    text[i] = AsciiUpper(text[i]);
}

namespace {

// Folds `length` bytes of `from` into `to` (which may be `from` itself) as far as every
// character keeps its length; returns how many bytes were folded.
size_t FoldInto(const char* from, size_t length, char* to, TextEncoding encoding) {
  const ByteMap* map =
      encoding == TextEncoding::kWindows1252 ? &Windows1252Map(Case::kUpper) : nullptr;
  const std::string_view view(from, length);
  size_t i = 0;
  while (i < length) {
    if (i + 8 <= length) {
      uint64_t x;
      memcpy(&x, from + i, 8);
      if ((x & kHigh) == 0) {
        x = FoldAsciiWord(x);
        memcpy(to + i, &x, 8);
        i += 8;
        continue;
      }
    }
    const unsigned char c = static_cast<unsigned char>(from[i]);
    if (c < 0x80) {
      to[i] = AsciiUpper(from[i]);
      ++i;
      continue;
    }
    if (map != nullptr) {
      to[i] = (*map)[c];
      ++i;
      continue;
    }
    uint32_t cp = 0;
    size_t n = DecodeUtf8(view, i, &cp);
    if (n == 0) {
      to[i] = from[i];  // not UTF-8: the byte stays
      ++i;
      continue;
    }
    const uint32_t mapped = MapCodePoint(cp, Case::kUpper);
    if (mapped == cp) {
      memmove(to + i, from + i, n);
    } else {
      std::string bytes;
      AppendUtf8(mapped, &bytes);
      if (bytes.size() != n)
        return i;
      memcpy(to + i, bytes.data(), n);
    }
    i += n;
  }
  return length;
}

}  // namespace

size_t FoldCaseInPlace(char* text, size_t length, TextEncoding encoding) {
  return FoldInto(text, length, text, encoding);
}

bool FoldCase(std::string_view text, TextEncoding encoding, std::string* out) {
  out->resize(text.size());
  const size_t done = FoldInto(text.data(), text.size(), out->data(), encoding);
  if (done == text.size())
    return true;
  // From here on lengths differ: the rest is mapped character by character.
  out->resize(done);
  AppendMapped(text.substr(done), encoding, Case::kUpper, out);
  return false;
}

size_t FoldedOffsetToOriginal(std::string_view text, size_t foldedOffset, TextEncoding encoding) {
  if (encoding == TextEncoding::kWindows1252)
    return std::min(foldedOffset, text.size());
  size_t original = 0;
  size_t folded = 0;
  std::string bytes;
  while (original < text.size() && folded < foldedOffset) {
    uint32_t cp = 0;
    const size_t n = DecodeUtf8(text, original, &cp);
    if (n <= 1) {  // ASCII, or a byte that is not UTF-8: one byte either way
      ++original;
      ++folded;
      continue;
    }
    bytes.clear();
    AppendUtf8(MapCodePoint(cp, Case::kUpper), &bytes);
    original += n;
    folded += bytes.size();
  }
  return original;
}

}  // namespace quire
