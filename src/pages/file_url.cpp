#include "pages/file_url.h"

namespace quire {

namespace {

bool IsKept(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
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

}  // namespace quire
