// Which words a page opened from the search results shows highlighted.
//
// When the user follows a link from the results page of the latest search to another
// page, that page shows the search's words highlighted, with the search's own case
// setting. Any other arrival (Back, Forward, Home, a command, a reload) shows none, so the
// highlight belongs to the page opened from the results only.
#ifndef QUIRE_SESSION_SEARCH_HIGHLIGHT_H_
#define QUIRE_SESSION_SEARCH_HIGHLIGHT_H_

#include <optional>
#include <string>
#include <vector>

namespace quire {

struct ReaderContext;

struct SearchHighlight {
  std::vector<std::string> words;  // in query order, each once
  bool caseSensitive = false;
};

// How the view came to a page.
enum class PageArrival { kFollowedLink, kOther };

// The highlight for the page at `newUri`, reached while the view showed `previousUri`:
// the latest search's words when the user followed a link, `previousUri` is the book
// folder's results page and `newUri` is a different local file; nullopt otherwise, also
// when the search had no words. Fragments and queries of the addresses are ignored.
std::optional<SearchHighlight> HighlightForNavigation(ReaderContext& context,
                                                      const std::string& previousUri,
                                                      const std::string& newUri,
                                                      PageArrival arrival);

// The local path of a "file:" address, percent escapes decoded, without query or
// fragment; empty for any other address.
std::string FileUriToPath(const std::string& uri);

}  // namespace quire

#endif  // QUIRE_SESSION_SEARCH_HIGHLIGHT_H_
