// The words and case setting of the latest results page, so that a page opened from it
// can show the words highlighted.
#ifndef QUIRE_PAGES_LAST_SEARCH_H_
#define QUIRE_PAGES_LAST_SEARCH_H_

#include <optional>
#include <string>

namespace quire {

struct SearchRequest {
  std::string query;
  bool caseSensitive = false;
};

// The search the results page "__search.html" was last built for; nullopt before the
// first search of the run.
const std::optional<SearchRequest>& LastSearch();
// Remembers the search a results page is being built for (BuildSearchPage calls it).
void RememberSearch(const std::string& query, bool caseSensitive);
// Tests only: back to "no search yet".
void ForgetLastSearchForTesting();

}  // namespace quire

#endif  // QUIRE_PAGES_LAST_SEARCH_H_
