// The pages ahead in the history that the web view dropped when a page's own script ran a
// command link. WebKit records such a link as a new entry even when the view refused it,
// and a new entry drops every entry ahead of the current one, so Forward would be lost,
// while the same link clicked by the user leaves the history as it was. The view keeps
// the dropped pages here and goes forward to them itself; the first ordinary navigation
// elsewhere forgets them, as it would forget entries ahead in the web view's own history.
#ifndef QUIRE_SESSION_KEPT_FORWARD_H_
#define QUIRE_SESSION_KEPT_FORWARD_H_

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quire {

class KeptForward {
 public:
  // The web view's history changed: it added an entry for `added` (empty when it added
  // none) and dropped the entries ahead of the current one whose addresses are
  // `droppedAhead`, in history order. A command entry keeps what it dropped (its pages
  // only, in front of those kept before); the entry Forward asked for (Restore) takes the
  // first kept place; any other new entry forgets them all.
  void HistoryChanged(const std::string& added, const std::vector<std::string>& droppedAhead);

  // The page Forward goes to when the web view's own history has none ahead: the first
  // kept page; nullopt when none is kept.
  std::optional<std::string> Next() const;
  // Forward goes to Next() now; the entry added for it takes that page's place.
  void Restore();

  // The pages kept, nearest first.
  const std::deque<std::string>& Pages() const { return m_pages; }

 private:
  std::deque<std::string> m_pages;
  std::string m_restoring;
};

}  // namespace quire

#endif  // QUIRE_SESSION_KEPT_FORWARD_H_
