#include "pages/search.h"

#include <algorithm>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/file_url.h"
#include "pages/html_text.h"
#include "pages/last_search.h"
#include "pages/page_scorer.h"
#include "pages/page_template.h"
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

TextScore ScoreText(std::string_view text, std::string_view word, bool caseSensitive) {
  if (caseSensitive)
    return ScorePreparedText(text, word);
  std::string foldedText(text);
  std::string foldedWord(word);
  FoldAsciiCase(foldedText.data(), foldedText.size());
  FoldAsciiCase(foldedWord.data(), foldedWord.size());
  return ScorePreparedText(foldedText, foldedWord);
}

int32_t ScoreFile(const std::string& path, const std::vector<std::string>& words,
                  const std::string& title, const std::string& description,
                  const std::string& keywords, bool caseSensitive) {
  PageScorer scorer(words, caseSensitive);
  return scorer.Score(path, title, description, keywords);
}

namespace {

// The words of the query being searched, or searched last.
std::vector<std::string>& SearchWords() {
  static std::vector<std::string> words;
  return words;
}

}  // namespace

int32_t ScoreFile(const std::string& path, const std::string& title, const std::string& description,
                  const std::string& keywords, bool caseSensitive) {
  return ScoreFile(path, SearchWords(), title, description, keywords, caseSensitive);
}

bool SearchBook(const std::string& query, bool caseSensitive, std::vector<PageEntry>* results) {
  SearchWords() = SplitQueryWords(query);
  PageScorer scorer(SearchWords(), caseSensitive);
  const std::vector<EBookFile>& files = CEBook::Instance().Files();
  // The directory itself bounds the walk, whatever count the settings claim.
  const size_t n = files.size();
  const std::string folder = BookFolder();
  StatusProgress progress("Searching");
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

std::string BuildSearchPage(const std::string& query, bool caseSensitive) {
  RememberSearch(query, caseSensitive);
  std::vector<PageEntry> results;
  SearchBook(query, caseSensitive, &results);
  std::sort(results.begin(), results.end(), PageEntryBefore);

  const CEBook& book = CEBook::Instance();
  const std::string textColour = ColorToHex(book.TextColor());
  const bool descriptions = book.SearchShowDescriptions();
  const bool percent = book.SearchShowPercent();
  std::string body = "Searching for <B>" + EscapeHtml(query) + "</B>";
  if (results.empty()) {
    body += " - no matching documents were found.<BR>";
  } else {
    body += " - these documents were found:<BR>";
    int k = 0;
    for (const PageEntry& result : results) {
      body += "<BR>";
      body +=
          "<TABLE WIDTH=100% COLS=3 CELLSPACING=0 CELLPADDING=0 BORDER=0 RULES=NONE><TR>"
          "<TD WIDTH=7% VALIGN=TOP ALIGN=RIGHT><FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 "
          "COLOR=" +
          textColour + ">";
      body += std::to_string(++k) + ".";
      body +=
          "</FONT></TD><TD WIDTH=3%>&nbsp;</TD><TD WIDTH=90% VALIGN=TOP ALIGN=LEFT>"
          "<FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 COLOR=" +
          textColour + "><B><A HREF=\"" + PageLinkFromPath(result.path) + "\" TARGET=_top>" +
          EscapeHtml(result.title) + "</A></B>";
      if (descriptions && !result.description.empty()) {
        body += "<BR>" + EscapeHtml(result.description);
      }
      if (percent)
        body += "<BR><I><SMALL>" + FormatMatchPercent(result.score) + " match</SMALL></I>";
      body += "</FONT></TD></TR></TABLE>";
    }
  }
  std::string page =
      BookPageHeader(book.Title()) + BookPageSection("Search Results", body) + PageFooter();
  return WriteGeneratedPage(kSearchPageFile, page);
}

std::string ShowSearchDialog() {
  std::string words;
  bool caseSensitive = false;
  if (!TheWindow().SearchDialog(&words, &caseSensitive))
    return {};
  return BuildSearchPage(words, caseSensitive);
}

}  // namespace quire
