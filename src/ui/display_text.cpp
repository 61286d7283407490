#include "ui/display_text.h"

#include <cstdint>

namespace quire {

namespace {

// Length of the valid UTF-8 sequence at `i`, or 0 when the bytes there are not one.
size_t Utf8SequenceLength(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  const uint8_t lead = byte(i);
  if (lead < 0x80)
    return 1;
  size_t length = 0;
  uint32_t min = 0;
  uint32_t code = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, min = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, min = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, min = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > s.size())
    return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const size_t length = Utf8SequenceLength(s, i);
    if (length == 0)
      return false;
    i += length;
  }
  return true;
}

void AppendUtf8(uint32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// Windows-1252 bytes 0x80 to 0x9F; 0xFFFD where the code page assigns nothing.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

std::string DisplayText(const std::string& bytes) {
  if (IsValidUtf8(bytes))
    return bytes;
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (b >= 0x80 && b < 0xA0)
      AppendUtf8(kCp1252High[b - 0x80], &out);
    else
      AppendUtf8(b, &out);
  }
  return out;
}

std::string MnemonicLabel(const std::string& menuText) {
  std::string out;
  out.reserve(menuText.size() + 4);
  for (size_t i = 0; i < menuText.size(); ++i) {
    const char c = menuText[i];
    if (c == '_') {
      out += "__";
    } else if (c == '&') {
      if (i + 1 >= menuText.size())
        break;
      if (menuText[i + 1] == '&') {
        out += '&';
        ++i;
      } else {
        out += '_';
      }
    } else {
      out += c;
    }
  }
  return DisplayText(out);
}

}  // namespace quire
