#include "session/display_text.h"

#include <cstdint>

#include "book/cebook.h"

namespace quire {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the unassigned ones.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    *out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out += static_cast<char>(0xC0 | (cp >> 6));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (cp >> 12));
    *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size())
      return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

std::string ToDisplayText(std::string_view text) {
  if (IsValidUtf8(text))
    return std::string(text);
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    uint32_t cp = c;
    if (c >= 0x80 && c <= 0x9F)
      cp = kCp1252High[c - 0x80] != 0 ? kCp1252High[c - 0x80] : 0xFFFD;
    AppendUtf8(cp, &out);
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
    int byte = -1;
    if (cp >= 0xA0 && cp <= 0xFF) {
      byte = static_cast<int>(cp);
    } else {
      for (int k = 0; k < 32; ++k) {
        if (kCp1252High[k] != 0 && kCp1252High[k] == cp)
          byte = 0x80 + k;
      }
    }
    if (byte < 0) {
      out.append(text.substr(i, length));
    } else {
      out += static_cast<char>(byte);
    }
    i += length;
  }
  return out;
}

std::string BookDefaultCharset() {
  const CEBook& book = CEBook::Instance();
  const std::string texts[] = {book.Title(),          book.Author(),        book.AuthorEmail(),
                               book.AuthorUrl(),      book.Publisher(),     book.Copyright(),
                               book.StartupMessage(), book.StartupScript(), book.ExitScript()};
  for (const std::string& text : texts) {
    if (!IsValidUtf8(text))
      return "windows-1252";
  }
  for (const EBookFile& file : book.Files()) {
    if (!IsValidUtf8(file.fileName) || !IsValidUtf8(file.title) || !IsValidUtf8(file.description) ||
        !IsValidUtf8(file.keywords))
      return "windows-1252";
  }
  return "UTF-8";
}

}  // namespace quire
