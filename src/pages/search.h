// Searching the book's pages marked for searching, scoring each page, and the results page
// "__search.html".
//
// A query's words are the non-empty pieces between space characters (code 32 only) of its
// first 1023 bytes; a repeated word counts as often as it occurs. Each searchable page is
// scored from four texts: the first 63999 bytes of its extracted file up to its first zero
// byte (markup included), and its title, description and keywords from the directory, the
// keywords weighing double. Without case sensitivity, texts and words are compared in
// upper case, as text_case.h maps the book's texts. A page that holds a word in one of its
// texts scores at least 1.
//
// A book that records "search=visible-text" (book_features.h) is searched by the text a
// reader sees on each whole page instead (visible_search.h); its query's words are split
// by SplitSearchPhrases, pages holding every word are listed first, and each result shows
// an excerpt of the page's text around its first hit.
#ifndef QUIRE_PAGES_SEARCH_H_
#define QUIRE_PAGES_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "book/book_text_encoding.h"
#include "pages/page_entry.h"

namespace quire {

class CEBook;
struct ReaderContext;

// How much of a query is split into words, and how much of a page file is scored.
inline constexpr size_t kQueryWordsLimit = 1023;
inline constexpr size_t kScoredFileBytes = 63999;
inline constexpr int32_t kBestScore = 10000;

// The words of `query` (see above), in query order.
std::vector<std::string> SplitQueryWords(const std::string& query);

// The words of `query` for a search of visible text, in query order: any white space
// separates words, and a part in double quotes is one word (a phrase), its runs of white
// space as one space and none at its ends; the quotes themselves are no part of a word. A
// quote left open runs to the end. Only the first 1023 bytes count.
std::vector<std::string> SplitSearchPhrases(const std::string& query);

// True when the loaded book searches visible text.
bool SearchesVisibleText(const CEBook& book);

// The words of `query` as the loaded book's search takes them.
std::vector<std::string> QueryWords(const CEBook& book, const std::string& query);

// How one text answers one word. `weight` grows with the word's length (counted 1 to 10)
// and shrinks with the text's; `position` is 0 when the word is absent, 1000 when it
// occurs once, and for repeated words (L - e) * 1000 / L with e the offset of the second
// occurrence (occurrences may overlap). An empty text gives 0 and 0.
struct TextScore {
  int64_t weight = 0;
  int64_t position = 0;
};
TextScore ScoreText(std::string_view text, std::string_view word, bool caseSensitive,
                    TextEncoding encoding);

// The score of one page for `words`: ten times the weighted mean of the four texts'
// positions, 0 to 10000 (at least 1 when a word is in one of the texts). 0 without words,
// or when the file cannot be read or its scored text is empty. Always the first bytes of
// the file, whatever the book records.
int32_t ScoreFile(const std::string& path, const std::vector<std::string>& words,
                  const std::string& title, const std::string& description,
                  const std::string& keywords, bool caseSensitive, TextEncoding encoding);
// The same for the words of the query SearchBook last searched for (none before the first
// search, which gives 0).
int32_t ScoreFile(ReaderContext& context, const std::string& path, const std::string& title,
                  const std::string& description, const std::string& keywords, bool caseSensitive);

// Scores every searchable directory entry, in directory order, while the status bar shows
// "Searching", and appends every page that scores above 0 to `results` (unsorted; path =
// book folder + file name, empty sort key). A book that searches visible text scores the
// text its pages show (visible_search.h). Always true.
bool SearchBook(ReaderContext& context, const std::string& query, bool caseSensitive,
                std::vector<PageEntry>* results);

// Searches, sorts the results (best first; in a book that searches visible text, pages
// holding every word before the others, each row with an excerpt after its description)
// and writes the results page as the book folder's "__search.html"; returns its path, also
// when the write failed (the page store reports that).
std::string BuildSearchPage(ReaderContext& context, const std::string& query, bool caseSensitive);

// Asks the window's search dialog for words and runs BuildSearchPage with them; the empty
// text when the user cancels.
std::string ShowSearchDialog(ReaderContext& context);

// A score as a percentage with one decimal: 8734 gives "87.3%", 57 gives "0.5%", 10000
// gives "100.0%", 0 to 9 give "0.0%". Negative scores count as 0; scores above 10000 as
// 10000.
std::string FormatMatchPercent(int32_t score);

}  // namespace quire

#endif  // QUIRE_PAGES_SEARCH_H_
