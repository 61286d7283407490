#include "pages/file_url.h"

namespace quire {

namespace {

bool IsKept(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

// A byte that a link can hold as it is, inside a double-quoted attribute and as a URL
// path: printable ASCII but for the quote that ends the attribute, the entity mark, the
// URL's own marks ('#', '?', '%'), the backslash a URL turns into a slash, and the angle
// brackets. A space is kept too, though not as the last byte, where the URL parser would
// drop it.
bool IsPlainInLink(unsigned char c, bool last) {
  if (c == ' ')
    return !last;
  return c > ' ' && c < 0x7F && c != '"' && c != '#' && c != '%' && c != '&' && c != '?' &&
         c != '\\' && c != '<' && c != '>';
}

}  // namespace

std::string FileUrlFromPath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  url.reserve(url.size() + path.size() * 3);
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsKept(c)) {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0x0F];
    }
  }
  return url;
}

std::string PageLinkFromPath(const std::string& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (!IsPlainInLink(static_cast<unsigned char>(path[i]), i + 1 == path.size()))
      return FileUrlFromPath(path);
  }
  return path;
}

}  // namespace quire
