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
  for (int i = history.current + step; i >= 0 && i < count; i += step) {
    const std::string& address = history.addresses[i];
    if (!IsCommandAddress(address) && address != shown)
      return i;
  }
  return std::nullopt;
}

}  // namespace quire
