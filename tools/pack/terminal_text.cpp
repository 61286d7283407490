#include "terminal_text.h"

namespace quire::pack {
namespace {

bool IsControl(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}

void AppendEscaped(unsigned char c, std::string* out) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (c) {
    case '\n':
      *out += "\\n";
      break;
    case '\r':
      *out += "\\r";
      break;
    case '\t':
      *out += "\\t";
      break;
    default:
      *out += "\\x";
      out->push_back(kHex[c >> 4]);
      out->push_back(kHex[c & 0xf]);
  }
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (IsControl(c)) {
      AppendEscaped(c, &out);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

std::string TerminalLine(std::string_view text, bool keepLineFeeds) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (IsControl(c) && !(keepLineFeeds && c == '\n')) {
      AppendEscaped(c, &out);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

}  // namespace quire::pack
