#include "session/display_text.h"

#include <cstdint>

#include "book/cebook.h"
#include "platform/utf8.h"
#include "platform/windows1252.h"

namespace quire {

std::string ToDisplayText(std::string_view text) {
  if (IsValidUtf8(text))
    return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    const uint32_t cp = Windows1252ToCodePoint(c);
    AppendUtf8(cp != 0 || c == 0 ? cp : 0xFFFD, &out);
  }
  return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : 0;
    if (length == 0 || i + length > text.size() || !IsValidUtf8(text.substr(i, length))) {
      out += text[i++];
      continue;
    }
    uint32_t cp = length == 2
                      ? ((c & 0x1Fu) << 6) | (text[i + 1] & 0x3Fu)
                      : ((c & 0x0Fu) << 12) | ((text[i + 1] & 0x3Fu) << 6) | (text[i + 2] & 0x3Fu);
    const int byte = CodePointToWindows1252(cp);
    if (byte < 0) {
      out.append(text.substr(i, length));
    } else {
      out += static_cast<char>(byte);
    }
    i += length;
  }
  return out;
}

std::string BookDefaultCharset(const CEBook& book) {
  return book.Encoding() == TextEncoding::kUtf8 ? "UTF-8" : "windows-1252";
}

}  // namespace quire
