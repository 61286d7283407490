// What the reader offers for a link under the mouse: the status-bar text while it is
// hovered, the items of the right-click menu on it, and the links of the reader's own
// about page that belong in the user's programs. Pure decisions; the view only asks.
#ifndef QUIRE_SESSION_LINK_ACTIONS_H_
#define QUIRE_SESSION_LINK_ACTIONS_H_

#include <string>

#include "session/navigation_policy.h"

namespace quire {

// The status-bar text for a hovered link to `url`. A file of the book folder `bookFolder`
// (ending with '/') shows as its path within the book followed by its "#..." part, with
// the escapes the web view added undone ("chapter 2.html#intro", "index.html##TOC");
// anything else shows as it is. Control characters become spaces. Empty for an empty
// `url`.
std::string LinkStatusText(const std::string& url, const std::string& bookFolder);

// The link items of the right-click menu and whether each can be chosen.
struct LinkMenuOffer {
  bool openLink = false;     // "Open Link": as a click on it would, through the policy
  bool openOutside = false;  // "Open Link Outside": the user's browser or mail program
  bool copyAddress = false;  // "Copy Link Address"
};

// For a link to `url`: nothing for an empty one. Copying is always offered. A
// "javascript:" link is not opened from the menu (it runs page code, not a page). Outside
// go web, mail and news addresses (http:, https:, ftp:, mailto:, news:) and files of any
// folder without a script link marker; never a script link, "data:", "blob:", "about:"
// or "javascript:".
LinkMenuOffer LinkMenuFor(const std::string& url);

// True when a navigation to `url` asked for by the page in `context` belongs in the
// user's own programs: a web or mail address (http:, https:, ftp:, mailto:) followed from
// the about page the reader generated in the book folder (its credit and the author's
// links). Other pages keep the book's own setting for outside links.
bool OpensInUsersPrograms(const std::string& url, const NavigationContext& context);

}  // namespace quire

#endif  // QUIRE_SESSION_LINK_ACTIONS_H_
