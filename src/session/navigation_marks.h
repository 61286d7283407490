// The navigations the reader itself asked the web view for. WebKit reports a navigation
// only after the call that started it has returned, so the view remembers the address it
// asked for and recognises the navigation by it once; a page cannot add a mark.
#ifndef QUIRE_SESSION_NAVIGATION_MARKS_H_
#define QUIRE_SESSION_NAVIGATION_MARKS_H_

#include <deque>
#include <string>
#include <utility>

#include "session/navigation_policy.h"

namespace quire {

class NavigationMarks {
 public:
  // How many marks are kept while WebKit has not reported them yet; the oldest goes first.
  static constexpr size_t kKept = 8;

  // Remembers that the reader (kReader) or the running command (kCommand) asked for `url`.
  // kPage is no mark and is ignored.
  void Remember(const std::string& url, NavigationOrigin origin);
  // Who started a navigation to `url`: the origin of the oldest mark for the same address,
  // which is used up, or kPage when there is none. Addresses match whatever the web view
  // changed in their escapes, their letter case or a trailing '/'.
  NavigationOrigin Take(const std::string& url);

 private:
  std::deque<std::pair<std::string, NavigationOrigin>> m_marks;
};

}  // namespace quire

#endif  // QUIRE_SESSION_NAVIGATION_MARKS_H_
