// The words and case setting of the latest results page, so that a page opened from it
// can show the words highlighted (ReaderContext::lastSearch; BuildSearchPage sets it).
#ifndef QUIRE_PAGES_LAST_SEARCH_H_
#define QUIRE_PAGES_LAST_SEARCH_H_

#include <string>

namespace quire {

struct SearchRequest {
  std::string query;
  bool caseSensitive = false;
};

}  // namespace quire

#endif  // QUIRE_PAGES_LAST_SEARCH_H_
