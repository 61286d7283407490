#include "session/search_highlight.h"

#include <algorithm>

#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "platform/ascii_text.h"

namespace quire {

std::string FileUriToPath(const std::string& uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size())
    return {};
  for (size_t i = 0; i < kScheme.size(); ++i) {
    const char c = uri[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kScheme[i])
      return {};
  }
  std::string rest = uri.substr(kScheme.size());
  rest = rest.substr(0, rest.find_first_of("?#"));
  // "file://localhost/x" and "file:///x" both name /x.
  if (rest.rfind("localhost/", 0) == 0)
    rest.erase(0, 9);
  if (rest.empty() || rest[0] != '/')
    return {};
  std::string path;
  path.reserve(rest.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && AsciiHexValue(rest[i + 1]) >= 0 &&
        AsciiHexValue(rest[i + 2]) >= 0) {
      path += static_cast<char>(AsciiHexValue(rest[i + 1]) * 16 + AsciiHexValue(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

std::optional<SearchHighlight> HighlightForNavigation(ReaderContext& context,
                                                      const std::string& previousUri,
                                                      const std::string& newUri,
                                                      PageArrival arrival) {
  const std::optional<SearchRequest>& search = context.lastSearch;
  if (!search || arrival != PageArrival::kFollowedLink)
    return std::nullopt;
  const std::string resultsPage = context.store.BookFolder() + kSearchPageFile;
  const std::string from = FileUriToPath(previousUri);
  const std::string to = FileUriToPath(newUri);
  if (from.empty() || from != resultsPage || to.empty() || to == resultsPage)
    return std::nullopt;

  SearchHighlight highlight;
  highlight.caseSensitive = search->caseSensitive;
  for (std::string& word : QueryWords(context.book, search->query)) {
    if (std::find(highlight.words.begin(), highlight.words.end(), word) == highlight.words.end())
      highlight.words.push_back(std::move(word));
  }
  if (highlight.words.empty())
    return std::nullopt;
  return highlight;
}

}  // namespace quire
