#include "session/navigation_marks.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace quire {

namespace {

// The address with every well-formed escape undone, in lower case, without a trailing '/'.
std::string MarkKey(const std::string& url) {
  std::string key;
  key.reserve(url.size());
  for (size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size()) {
      int high = AsciiHexValue(url[i + 1]);
      int low = AsciiHexValue(url[i + 2]);
      if (high >= 0 && low >= 0) {
        key += AsciiLower(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    key += AsciiLower(url[i]);
  }
  if (!key.empty() && key.back() == '/')
    key.pop_back();
  return key;
}

}  // namespace

void NavigationMarks::Remember(const std::string& url, NavigationOrigin origin) {
  if (origin == NavigationOrigin::kPage)
    return;
  m_marks.emplace_back(MarkKey(url), origin);
  if (m_marks.size() > kKept)
    m_marks.pop_front();
}

NavigationOrigin NavigationMarks::Take(const std::string& url) {
  const std::string key = MarkKey(url);
  auto found = std::find_if(m_marks.begin(), m_marks.end(),
                            [&](const auto& mark) { return mark.first == key; });
  if (found == m_marks.end())
    return NavigationOrigin::kPage;
  NavigationOrigin origin = found->second;
  m_marks.erase(found);
  return origin;
}

}  // namespace quire
