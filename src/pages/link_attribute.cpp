#include "pages/link_attribute.h"

#include <string_view>

#include "pages/html_text.h"
#include "platform/ascii_text.h"

namespace quire {

namespace {

// What ends an unquoted attribute value, or makes it something else, in a browser's eyes.
bool EndsUnquotedValue(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '"' ||
         c == '\'' || c == '<' || c == '>' || c == '`';
}

bool IsSchemeChar(char c, bool first) {
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  return first ? letter : letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The scheme of `address` in lower case, as the browser's URL parser finds it; empty for
// an address without one.
std::string SchemeOf(const std::string& address) {
  std::string cleaned;
  for (char c : address) {
    if (c != '\t' && c != '\n' && c != '\r')
      cleaned.push_back(c);
  }
  size_t first = 0;
  while (first < cleaned.size() && static_cast<unsigned char>(cleaned[first]) <= ' ')
    ++first;
  std::string scheme;
  for (size_t i = first; i < cleaned.size(); ++i) {
    if (cleaned[i] == ':')
      return AsciiLowered(scheme);
    if (!IsSchemeChar(cleaned[i], i == first))
      return {};
    scheme.push_back(cleaned[i]);
  }
  return {};
}

// True when a character reference could stand where a scheme's ':' is looked for.
bool ReferenceBeforeScheme(const std::string& address) {
  const size_t colon = address.find(':');
  const size_t amp = address.find('&');
  return amp != std::string::npos && (colon == std::string::npos || amp < colon);
}

}  // namespace

bool IsLinkableAddress(const std::string& address) {
  const std::string scheme = SchemeOf(address);
  if (scheme.empty())
    return true;  // a file beside the page
  for (std::string_view allowed : {"http", "https", "ftp", "mailto", "news", "file"}) {
    if (scheme == allowed)
      return true;
  }
  return false;
}

std::string HrefValue(const std::string& address) {
  bool plain = !ReferenceBeforeScheme(address);
  for (char c : address)
    plain = plain && !EndsUnquotedValue(c);
  return plain ? address : "\"" + EscapeHtml(address) + "\"";
}

std::string EscapedAttributeValue(const std::string& escaped) {
  for (char c : escaped) {
    if (EndsUnquotedValue(c))
      return "\"" + escaped + "\"";
  }
  return escaped;
}

}  // namespace quire
