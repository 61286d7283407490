#include "platform/outside_address.h"

#include <string_view>

namespace quire {

bool IsOutsideAddress(const std::string& url) {
  constexpr std::string_view kPrefixes[] = {"http:", "https:", "news:", "mail:", "ftp:"};
  for (std::string_view prefix : kPrefixes) {
    if (url.size() < prefix.size()) {
      continue;
    }
    bool same = true;
    for (std::size_t i = 0; i < prefix.size() && same; ++i) {
      char c = url[i];
      if (c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c - 'A' + 'a');
      }
      same = c == prefix[i];
    }
    if (same) {
      return true;
    }
  }
  return false;
}

}  // namespace quire
