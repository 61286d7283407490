#include "session/history_rules.h"

#include <algorithm>
#include <array>

namespace quire {

namespace {

constexpr std::array<const char*, 3> kMarkers = {"##", "#!", "#@"};

size_t FirstMarker(const std::string& address) {
  size_t first = std::string::npos;
  for (const char* marker : kMarkers)
    first = std::min(first, address.find(marker));
  return first;
}

}  // namespace

bool IsCommandAddress(const std::string& address) {
  return FirstMarker(address) != std::string::npos;
}

std::string PageOfAddress(const std::string& address) {
  return address.substr(0, FirstMarker(address));
}

std::optional<int> HistoryTarget(const HistoryList& history, HistoryDirection direction) {
  const int count = static_cast<int>(history.addresses.size());
  if (history.current < 0 || history.current >= count)
    return std::nullopt;
  const std::string shown = PageOfAddress(history.addresses[history.current]);
  const int step = direction == HistoryDirection::kBack ? -1 : 1;
  auto inside = [count](int i) { return i >= 0 && i < count; };
  for (int i = history.current + step; inside(i); i += step) {
    const std::string page = PageOfAddress(history.addresses[i]);
    if (page == shown)
      continue;
    if (!IsCommandAddress(history.addresses[i]))
      return i;
    // A command entry of another page: that page's own entry in the same run, when it
    // has one; else the command entry itself, the only one that page left (a script
    // replaced it while the page loaded).
    for (int j = i + step; inside(j) && PageOfAddress(history.addresses[j]) == page; j += step) {
      if (!IsCommandAddress(history.addresses[j]))
        return j;
    }
    return i;
  }
  return std::nullopt;
}

}  // namespace quire
