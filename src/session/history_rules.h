// Where Back and Forward go in the view's history.
//
// The web view records a fragment navigation that it was not refused in time, and a link
// that runs commands is one (its address is the page's own with "##..." appended); a
// page's own script that runs such a link is recorded even when it was refused. Such an
// entry shows nothing new and must never run the commands again when revisited. History
// therefore counts pages: an entry that shows the page already in view is no place to go,
// and of the entries of one page side by side the page's own is taken over its command
// entries. A command entry is a place only where its page has no other entry there (a
// script replaced the page's entry while it loaded); going there shows the page.
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

// The entry a step in `direction` goes to: the nearest one whose page (PageOfAddress)
// differs from the current entry's; when that is a command entry, the first entry of the
// same page beyond it that is none, if the run of that page's entries holds one. Nullopt
// when there is none (and the command is not offered).
std::optional<int> HistoryTarget(const HistoryList& history, HistoryDirection direction);

}  // namespace quire

#endif  // QUIRE_SESSION_HISTORY_RULES_H_
