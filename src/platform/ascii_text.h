// Text helpers for byte strings in which only ASCII has a meaning: letters change case and
// white space is trimmed byte by byte, whatever the locale and whatever encoding the other
// bytes belong to.
#ifndef QUIRE_PLATFORM_ASCII_TEXT_H_
#define QUIRE_PLATFORM_ASCII_TEXT_H_

#include <string>
#include <string_view>

namespace quire {

// Space, tab, carriage return, line feed, vertical tab, form feed.
inline constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
// Space and tab only.
inline constexpr std::string_view kBlanks = " \t";

constexpr bool IsWhiteSpace(char c) {
  return kWhiteSpace.find(c) != std::string_view::npos;
}
constexpr bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Copies with every ASCII letter in lower (upper) case; other bytes stay.
std::string AsciiLowered(std::string_view text);
std::string AsciiUppered(std::string_view text);

// True when `a` and `b` differ at most in the case of ASCII letters.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// True when `text` begins (ends) with `affix`, ignoring the case of ASCII letters.
bool StartsWithIgnoringCase(std::string_view text, std::string_view affix);
bool EndsWithIgnoringCase(std::string_view text, std::string_view affix);

// `text` without the bytes of `set` at its start, its end, or both.
constexpr std::string_view TrimLeft(std::string_view text, std::string_view set = kWhiteSpace) {
  const size_t first = text.find_first_not_of(set);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}
constexpr std::string_view TrimRight(std::string_view text, std::string_view set = kWhiteSpace) {
  const size_t last = text.find_last_not_of(set);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}
constexpr std::string_view Trim(std::string_view text, std::string_view set = kWhiteSpace) {
  return TrimRight(TrimLeft(text, set), set);
}
// Trim as a new string.
std::string TrimCopy(std::string_view text, std::string_view set = kWhiteSpace);

}  // namespace quire

#endif  // QUIRE_PLATFORM_ASCII_TEXT_H_
