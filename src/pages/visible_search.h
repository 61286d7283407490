// The search of a book that records "search=visible-text" (book_features.h): every
// searchable page is scored by the text a reader sees on the whole page, taken from the
// search texts the book carries (search_text_store.h) or, for a page that has none there
// (its variables are expanded at load, or the stored texts are damaged), from its
// extracted file. The scoring is ScoreFile's, over that text.
#ifndef QUIRE_PAGES_VISIBLE_SEARCH_H_
#define QUIRE_PAGES_VISIBLE_SEARCH_H_

#include <string>
#include <vector>

#include "pages/page_entry.h"

namespace quire {

class CEBook;
struct ReaderContext;

struct SearchHit {
  PageEntry entry;
  bool allWords = false;  // every word of the query is in one of the page's four texts
  std::string excerpt;    // HTML: the text around the first hit (search_excerpt.h)
};

// Pages that hold every word come first; then the order of PageEntry.
bool SearchHitBefore(const SearchHit& a, const SearchHit& b);

// Scores every searchable page of the loaded book for `words`, in directory order, while
// the status bar shows "Searching", and appends each page that holds a word (score at
// least 1) to `hits`, unsorted. Nothing without words.
void SearchVisibleText(ReaderContext& context, const std::vector<std::string>& words,
                       bool caseSensitive, std::vector<SearchHit>* hits);

// The directory index of the loaded book's stored search texts; -1 when the book records
// no visible-text search or carries no such entry.
int SearchTextEntryIndex(const CEBook& book);

}  // namespace quire

#endif  // QUIRE_PAGES_VISIBLE_SEARCH_H_
