#include "session/search_highlight.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/page_store.h"
#include "pages/last_search.h"
#include "pages/pages_fixture.h"
#include "pages/search.h"

namespace quire::testing {
namespace {

constexpr PageArrival kLink = PageArrival::kFollowedLink;

TEST(FileUriToPathTest, DecodesLocalAddressesOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"file:///tmp/a.html", "/tmp/a.html"},
      {"FILE:///tmp/a.html", "/tmp/a.html"},
      {"file://localhost/tmp/a.html", "/tmp/a.html"},
      {"file:///tmp/a%20b%2Fc.html", "/tmp/a b/c.html"},
      {"file:///tmp/a.html#part", "/tmp/a.html"},
      {"file:///tmp/a.html?x=1", "/tmp/a.html"},
      {"file:///tmp/100%.html", "/tmp/100%.html"},
      {"file:///tmp/%zz", "/tmp/%zz"},
      {"file://host/tmp/a.html", ""},
      {"http://example.com/a.html", ""},
      {"about:blank", ""},
      {"", ""},
  };
  for (const auto& [uri, path] : cases)
    EXPECT_EQ(FileUriToPath(uri), path) << uri;
}

class SearchHighlightTest : public PagesTest {
 protected:
  std::string Uri(const std::string& name) { return "file://" + context.store.BookFolder() + name; }
};

TEST_F(SearchHighlightTest, PageOpenedFromTheResultsShowsTheWordsOnce) {
  LoadBook(DefaultSettings(), {PageFile("a.html", "A")});
  WriteBookPage("a.html", "<p>cat and dog</p>");
  BuildSearchPage(context, "  cat dog cat ", true);

  const std::optional<SearchHighlight> highlight =
      HighlightForNavigation(context, Uri("__search.html"), Uri("a.html#top"), kLink);
  ASSERT_TRUE(highlight);
  EXPECT_EQ(highlight->words, (std::vector<std::string>{"cat", "dog"}));
  EXPECT_TRUE(highlight->caseSensitive);

  BuildSearchPage(context, "Cat", false);
  const std::optional<SearchHighlight> second =
      HighlightForNavigation(context, Uri("__search.html"), Uri("a.html"), kLink);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->words, (std::vector<std::string>{"Cat"}));
  EXPECT_FALSE(second->caseSensitive);
}

TEST_F(SearchHighlightTest, OtherNavigationsShowNoHighlight) {
  LoadBook(DefaultSettings(), {PageFile("a.html", "A")});
  EXPECT_FALSE(HighlightForNavigation(context, Uri("__search.html"), Uri("a.html"), kLink))
      << "no search yet";

  BuildSearchPage(context, "cat", false);
  const std::pair<std::string, std::string> cases[] = {
      {Uri("index.html"), Uri("a.html")},                  // not from the results
      {Uri("__search.html"), Uri("__search.html")},        // the results reloaded
      {Uri("__search.html"), Uri("__search.html#x")},      // a fragment of the results
      {Uri("__search.html"), "http://example.com/"},       // leaves the book
      {"", Uri("a.html")},                                 // first page
      {"file:///elsewhere/__search.html", Uri("a.html")},  // another folder's results
  };
  for (const auto& [from, to] : cases)
    EXPECT_FALSE(HighlightForNavigation(context, from, to, kLink)) << from << " -> " << to;

  BuildSearchPage(context, "    ", false);
  EXPECT_FALSE(HighlightForNavigation(context, Uri("__search.html"), Uri("a.html"), kLink))
      << "no words";
}

TEST_F(SearchHighlightTest, OnlyAFollowedLinkCarriesTheHighlight) {
  LoadBook(DefaultSettings(), {PageFile("a.html", "A"), PageFile("b.html", "B")});
  BuildSearchPage(context, "cat", false);
  // Back or Forward from the results, Home, a command's load or a reload arrive from the
  // results page as well; none of them is the page the user opened from the results.
  const struct {
    std::string to;
    PageArrival arrival;
    bool highlighted;
  } cases[] = {
      {Uri("a.html"), PageArrival::kFollowedLink, true},
      {Uri("b.html#part"), PageArrival::kFollowedLink, true},
      {Uri("a.html"), PageArrival::kOther, false},
      {Uri("b.html"), PageArrival::kOther, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HighlightForNavigation(context, Uri("__search.html"), c.to, c.arrival).has_value(),
              c.highlighted)
        << c.to;
  }
}

}  // namespace
}  // namespace quire::testing
