#include "platform/ascii_text.h"

namespace quire {

std::string AsciiLowered(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = AsciiLower(c);
  return result;
}

std::string AsciiUppered(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = AsciiUpper(c);
  return result;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view affix) {
  return text.size() >= affix.size() && EqualsIgnoringCase(text.substr(0, affix.size()), affix);
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view affix) {
  return text.size() >= affix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - affix.size()), affix);
}

std::string TrimCopy(std::string_view text, std::string_view set) {
  return std::string(Trim(text, set));
}

}  // namespace quire
