#include "platform/outside_address.h"

#include <string_view>

#include "platform/ascii_text.h"

namespace quire {

bool IsOutsideAddress(const std::string& url) {
  constexpr std::string_view kPrefixes[] = {"http:", "https:", "news:", "mail:", "ftp:"};
  for (std::string_view prefix : kPrefixes) {
    if (StartsWithIgnoringCase(url, prefix))
      return true;
  }
  return false;
}

}  // namespace quire
