#include "pages/search.h"

#include <algorithm>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/file_url.h"
#include "pages/html_text.h"
#include "pages/page_scorer.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "pages/visible_search.h"
#include "platform/ascii_text.h"
#include "ui/reader_window.h"
#include "ui/status_progress.h"

namespace quire {

std::vector<std::string> SplitQueryWords(const std::string& query) {
  std::string_view rest(query.data(), std::min(query.size(), kQueryWordsLimit));
  std::vector<std::string> words;
  while (!rest.empty()) {
    size_t space = rest.find(' ');
    std::string_view word = rest.substr(0, space);
    if (!word.empty())
      words.emplace_back(word);
    if (space == std::string_view::npos)
      break;
    rest.remove_prefix(space + 1);
  }
  return words;
}

std::vector<std::string> SplitSearchPhrases(const std::string& query) {
  const std::string_view rest(query.data(), std::min(query.size(), kQueryWordsLimit));
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  auto finish = [&] {
    if (!word.empty() && word.back() == ' ')
      word.pop_back();
    if (!word.empty())
      words.push_back(word);
    word.clear();
  };
  for (char c : rest) {
    if (c == '"') {
      finish();
      quoted = !quoted;
    } else if (!IsWhiteSpace(c)) {
      word.push_back(c);
    } else if (!quoted) {
      finish();
    } else if (!word.empty() && word.back() != ' ') {
      word.push_back(' ');  // the text has every run of white space as one space
    }
  }
  finish();
  return words;
}

bool SearchesVisibleText(const CEBook& book) {
  return book.Features().visibleTextSearch;
}

std::vector<std::string> QueryWords(const CEBook& book, const std::string& query) {
  return SearchesVisibleText(book) ? SplitSearchPhrases(query) : SplitQueryWords(query);
}

TextScore ScoreText(std::string_view text, std::string_view word, bool caseSensitive,
                    TextEncoding encoding) {
  const int64_t length = static_cast<int64_t>(text.size());
  if (caseSensitive)
    return ScorePreparedText(text, word, length);
  std::string foldedText;
  std::string foldedWord;
  FoldCase(text, encoding, &foldedText);
  FoldCase(word, encoding, &foldedWord);
  return ScorePreparedText(foldedText, foldedWord, length);
}

int32_t ScoreFile(const std::string& path, const std::vector<std::string>& words,
                  const std::string& title, const std::string& description,
                  const std::string& keywords, bool caseSensitive, TextEncoding encoding) {
  PageScorer scorer(words, caseSensitive, encoding);
  return scorer.Score(path, title, description, keywords);
}

int32_t ScoreFile(ReaderContext& context, const std::string& path, const std::string& title,
                  const std::string& description, const std::string& keywords, bool caseSensitive) {
  return ScoreFile(path, context.searchWords, title, description, keywords, caseSensitive,
                   context.book.Encoding());
}

namespace {

// The raw way: the first bytes of each page file, markup and all.
void SearchPageFiles(ReaderContext& context, bool caseSensitive, std::vector<PageEntry>* results) {
  const CEBook& book = context.book;
  PageScorer scorer(context.searchWords, caseSensitive, book.Encoding());
  const std::vector<EBookFile>& files = book.Files();
  // The directory itself bounds the walk, whatever count the settings claim.
  const size_t n = files.size();
  const std::string folder = context.store.BookFolder();
  StatusProgress progress(*context.window, "Searching");
  for (size_t i = 0; i < n; ++i) {
    progress.Step(static_cast<int>(100 * (i + 1) / (n + 1)));
    const EBookFile& file = files[i];
    if (!file.searchable || !scorer.HasWords())
      continue;
    std::string path = folder + file.fileName;
    int32_t score = scorer.Score(path, file.title, file.description, file.keywords);
    if (score > 0)
      results->push_back({file.title, file.description, path, score, {}});
  }
}

}  // namespace

bool SearchBook(ReaderContext& context, const std::string& query, bool caseSensitive,
                std::vector<PageEntry>* results) {
  context.searchWords = QueryWords(context.book, query);
  if (!SearchesVisibleText(context.book)) {
    SearchPageFiles(context, caseSensitive, results);
    return true;
  }
  std::vector<SearchHit> hits;
  SearchVisibleText(context, context.searchWords, caseSensitive, &hits);
  for (SearchHit& hit : hits)
    results->push_back(std::move(hit.entry));
  return true;
}

std::string FormatMatchPercent(int32_t score) {
  std::string s = std::to_string(std::clamp(score, 0, kBestScore) / 10);
  switch (s.size()) {
    case 1:
      return "0." + s + "%";
    case 2:
      return s.substr(0, 1) + "." + s.substr(1) + "%";
    case 3:
      return s.substr(0, 2) + "." + s.substr(2) + "%";
    default:
      return "100.0%";
  }
}

namespace {

// One result's row, in the text colour; `excerpt` (HTML) follows the description.
std::string ResultRow(int k, const PageEntry& result, const std::string& excerpt,
                      const std::string& textColour, bool descriptions, bool percent) {
  std::string row = "<BR>";
  row +=
      "<TABLE WIDTH=100% COLS=3 CELLSPACING=0 CELLPADDING=0 BORDER=0 RULES=NONE><TR>"
      "<TD WIDTH=7% VALIGN=TOP ALIGN=RIGHT><FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 "
      "COLOR=" +
      textColour + ">";
  row += std::to_string(k) + ".";
  row +=
      "</FONT></TD><TD WIDTH=3%>&nbsp;</TD><TD WIDTH=90% VALIGN=TOP ALIGN=LEFT>"
      "<FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 COLOR=" +
      textColour + "><B><A HREF=\"" + PageLinkFromPath(result.path) + "\" TARGET=_top>" +
      EscapeHtml(result.title) + "</A></B>";
  if (descriptions && !result.description.empty())
    row += "<BR>" + EscapeHtml(result.description);
  if (!excerpt.empty())
    row += "<BR>" + excerpt;
  if (percent)
    row += "<BR><I><SMALL>" + FormatMatchPercent(result.score) + " match</SMALL></I>";
  row += "</FONT></TD></TR></TABLE>";
  return row;
}

}  // namespace

std::string BuildSearchPage(ReaderContext& context, const std::string& query, bool caseSensitive) {
  context.lastSearch = SearchRequest{query, caseSensitive};
  // Books that search visible text list the pages holding every word first, each with an
  // excerpt; the others list their pages as they always did.
  std::vector<SearchHit> hits;
  std::vector<const SearchHit*> order;
  if (SearchesVisibleText(context.book)) {
    context.searchWords = QueryWords(context.book, query);
    SearchVisibleText(context, context.searchWords, caseSensitive, &hits);
    for (const SearchHit& hit : hits)
      order.push_back(&hit);
    std::sort(order.begin(), order.end(),
              [](const SearchHit* a, const SearchHit* b) { return SearchHitBefore(*a, *b); });
  } else {
    std::vector<PageEntry> results;
    SearchBook(context, query, caseSensitive, &results);
    std::sort(results.begin(), results.end(), PageEntryBefore);
    hits.reserve(results.size());
    for (PageEntry& result : results) {
      hits.push_back({std::move(result), false, {}});
      order.push_back(&hits.back());
    }
  }

  const CEBook& book = context.book;
  const std::string textColour = ColorToHex(book.TextColor());
  const bool descriptions = book.SearchShowDescriptions();
  const bool percent = book.SearchShowPercent();
  std::string body = "Searching for <B>" + EscapeHtml(query) + "</B>";
  if (order.empty()) {
    body += " - no matching documents were found.<BR>";
  } else {
    body += " - these documents were found:<BR>";
    int k = 0;
    for (const SearchHit* hit : order)
      body += ResultRow(++k, hit->entry, hit->excerpt, textColour, descriptions, percent);
  }
  std::string page = BookPageHeader(book, book.Title()) +
                     BookPageSection(book, "Search Results", body) + PageFooter();
  return WriteGeneratedPage(context.store, kSearchPageFile, page);
}

std::string ShowSearchDialog(ReaderContext& context) {
  std::string words;
  bool caseSensitive = false;
  if (!context.window->SearchDialog(&words, &caseSensitive))
    return {};
  return BuildSearchPage(context, words, caseSensitive);
}

}  // namespace quire
