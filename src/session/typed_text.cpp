#include "session/typed_text.h"

#include <cstdint>

namespace quire {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page assigns nothing.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code point of the UTF-8 sequence at `i` and its length; length 0 when invalid.
uint32_t Decode(const std::string& s, size_t i, size_t* length) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t lead = byte(i);
  *length = 0;
  size_t n = 0;
  uint32_t code = 0;
  if (lead < 0x80) {
    *length = 1;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    n = 2, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    n = 3, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    n = 4, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size())
    return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  *length = n;
  return code;
}

char ToCp1252(uint32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
    return static_cast<char>(code);
  for (int k = 0; k < 32; ++k) {
    if (kCp1252High[k] != 0 && kCp1252High[k] == code)
      return static_cast<char>(0x80 + k);
  }
  return '?';
}

}  // namespace

std::string TypedTextForBook(const std::string& typed, bool bookIsUtf8) {
  if (bookIsUtf8)
    return typed;
  std::string out;
  out.reserve(typed.size());
  for (size_t i = 0; i < typed.size();) {
    size_t length = 0;
    const uint32_t code = Decode(typed, i, &length);
    if (length == 0) {
      out += typed[i++];
      continue;
    }
    out += ToCp1252(code);
    i += length;
  }
  return out;
}

}  // namespace quire
