#include "platform/utf8.h"

namespace quire {

void AppendUtf8(uint32_t codePoint, std::string* out) {
  uint32_t cp = codePoint;
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    cp = 0xFFFD;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

size_t DecodeUtf8(std::string_view text, size_t at, uint32_t* codePoint) {
  if (at >= text.size())
    return 0;
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c < 0x80) {
    *codePoint = c;
    return 1;
  }
  size_t extra;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1;
    cp = c & 0x1Fu;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2;
    cp = c & 0x0Fu;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3;
    cp = c & 0x07u;
  } else {
    return 0;
  }
  if (text.size() - at <= extra)
    return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const unsigned char cc = static_cast<unsigned char>(text[at + k]);
    if ((cc & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (cc & 0x3Fu);
  }
  if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  *codePoint = cp;
  return extra + 1;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp;
    const size_t length = DecodeUtf8(text, i, &cp);
    if (length == 0)
      return false;
    i += length;
  }
  return true;
}

}  // namespace quire
