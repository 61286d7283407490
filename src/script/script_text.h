// Small text helpers the interpreter shares.
#ifndef QUIRE_SCRIPT_SCRIPT_TEXT_H_
#define QUIRE_SCRIPT_SCRIPT_TEXT_H_

#include <string_view>

namespace quire {

// White space: space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr std::string_view TrimLeft(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsWhiteSpace(text[start]))
    ++start;
  return text.substr(start);
}

constexpr std::string_view TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsWhiteSpace(text[end - 1]))
    --end;
  return text.substr(0, end);
}

constexpr std::string_view Trim(std::string_view text) {
  return TrimRight(TrimLeft(text));
}

constexpr bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace quire

#endif  // QUIRE_SCRIPT_SCRIPT_TEXT_H_
