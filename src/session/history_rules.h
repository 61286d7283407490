// Where Back and Forward go in the view's history.
//
// The web view records a fragment navigation that it was not refused in time, and a link
// that runs commands is one (its address is the page's own with "##..." appended); such an
// entry shows nothing new and would run the commands again when revisited. History
// therefore counts pages only: an entry whose address holds "##", "#!" or "#@" is never a
// place to go, and neither is an entry that shows the page already in view. Back and
// Forward are offered only when a step in their direction reaches such a place.
#ifndef QUIRE_SESSION_HISTORY_RULES_H_
#define QUIRE_SESSION_HISTORY_RULES_H_

#include <optional>
#include <string>
#include <vector>

namespace quire {

// The view's history: every entry's address, oldest first, and the current one.
struct HistoryList {
  std::vector<std::string> addresses;
  int current = -1;  // -1 when the list is empty
};

// True when `address` holds a script link marker ("##", "#!" or "#@").
bool IsCommandAddress(const std::string& address);

// The page an entry shows: its address without the part from the first marker on.
std::string PageOfAddress(const std::string& address);

enum class HistoryDirection { kBack, kForward };

// The entry a step in `direction` goes to: the nearest one that is not a command entry
// and shows another page than the current entry; nullopt when there is none (and the
// command is not offered).
std::optional<int> HistoryTarget(const HistoryList& history, HistoryDirection direction);

}  // namespace quire

#endif  // QUIRE_SESSION_HISTORY_RULES_H_
