// The search of books that record "search=visible-text": what is scored, the order, the
// phrases, the excerpts; and that the stored texts are read, and read safely.
#include "pages/visible_search.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/page_store.h"
#include "pages/html_text.h"
#include "pages/page_template.h"
#include "pages/pages_fixture.h"
#include "pages/search.h"
#include "pages/search_excerpt.h"
#include "pages/search_text_store.h"
#include "pages/visible_text.h"
#include "support/book_fixture.h"

namespace quire::testing {
namespace {

EBookFile Page(const std::string& name, const std::string& title) {
  EBookFile file = PageFile(name, title);
  file.searchable = true;
  return file;
}

class VisibleSearchTest : public PagesTest {
 protected:
  // A book of `pages` (name, title, html) that searches visible text, its pages extracted
  // and no stored texts, so each page is read from its file.
  void MakeBook(const std::vector<std::vector<std::string>>& pages) {
    std::vector<EBookFile> files;
    for (const auto& page : pages)
      files.push_back(Page(page[0], page[1]));
    EBookSettings settings = DefaultSettings();
    settings.searchShowPercent = 0;
    LoadBook(settings, files);
    BookFeatures features;
    features.recorded = true;
    features.visibleTextSearch = true;
    context.book.SetFeatures(features);
    for (const auto& page : pages)
      WriteBookPage(page[0], page[2]);
  }

  // The titles of the results, in the order the results page lists them.
  std::vector<std::string> Listed(const std::string& query, bool caseSensitive = false) {
    std::vector<SearchHit> hits;
    SearchVisibleText(context, QueryWords(context.book, query), caseSensitive, &hits);
    std::sort(hits.begin(), hits.end(), SearchHitBefore);
    std::vector<std::string> titles;
    for (const SearchHit& hit : hits)
      titles.push_back(hit.entry.title);
    return titles;
  }

  std::vector<SearchHit> Hits(const std::string& query) {
    std::vector<SearchHit> hits;
    SearchVisibleText(context, QueryWords(context.book, query), false, &hits);
    return hits;
  }
};

using Names = std::vector<std::string>;

TEST_F(VisibleSearchTest, PagesAreScoredByWhatTheyShow) {
  std::string longPage = "<p>start</p>";
  while (longPage.size() < 70000)
    longPage += "<p class=\"filler\">some filler text</p>\n";
  longPage += "<p>errverbose</p>";
  MakeBook({
      {"nav.html", "Navigation",
       "<div class=\"navheader\"><a accesskey=\"n\" href=\"x\">Next</a></div>"},
      {"comment.html", "Comment", "<!-- hidden word --><p>shown</p>"},
      {"script.html", "Script", "<script>var hiddenvar = 1;</script><style>.hiddenrule{}</style>"},
      {"entities.html", "Entities", "<p>L&#39;&Eacute;T&Eacute; &agrave; Paris</p>"},
      {"cyrillic.html", "Cyrillic", "<p>\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90</p>"},
      {"long.html", "Long", longPage},
  });
  const struct {
    std::string query;
    Names titles;
  } cases[] = {
      {"navheader", {}},
      {"accesskey", {}},
      {"Next", {"Navigation"}},
      {"hidden", {}},
      {"hiddenvar", {}},
      {"hiddenrule", {}},
      {"shown", {"Comment"}},
      {"\xC3\xA9t\xC3\xA9", {"Entities"}},                                 // été finds ÉTÉ
      {"l'\xC3\xA9t\xC3\xA9", {"Entities"}},                               // &#39; decoded
      {"\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", {"Cyrillic"}},  // москва
      {"errverbose", {"Long"}},                                            // past 64 KB
  };
  for (const auto& c : cases)
    EXPECT_EQ(Listed(c.query), c.titles) << c.query;
  EXPECT_EQ(Listed("\xC3\xA9t\xC3\xA9", true), Names{});
}

TEST_F(VisibleSearchTest, PagesHoldingEveryWordComeFirst) {
  MakeBook({
      {"cat.html", "Cats", "<p>cat</p>"},
      {"both.html", "Both",
       "<p>a long page about a cat, and far later a dog: " + std::string(3000, 'z') + "</p>"},
      {"dog.html", "Dogs", "<p>dog dog</p>"},
      {"none.html", "None", "<p>bird</p>"},
  });
  // "Both" scores lowest (its text is long) but holds both words.
  const std::vector<SearchHit> hits = Hits("cat dog");
  ASSERT_EQ(hits.size(), 3u);
  int32_t both = 0, cat = 0;
  for (const SearchHit& hit : hits) {
    if (hit.entry.title == "Both")
      both = hit.entry.score;
    if (hit.entry.title == "Cats")
      cat = hit.entry.score;
  }
  EXPECT_LT(both, cat);
  EXPECT_EQ(Listed("cat dog"), (Names{"Both", "Cats", "Dogs"}));
  // A repeated word is still one word to hold.
  EXPECT_EQ(Listed("cat cat"), (Names{"Cats", "Both"}));
}

TEST_F(VisibleSearchTest, AQuotedPartIsOnePhrase) {
  MakeBook({
      {"phrase.html", "Phrase", "<p>a <b>foreign</b>\n   key here</p>"},
      {"apart.html", "Apart", "<p>foreign words, key words</p>"},
      {"quote.html", "Quote", "<p>\"foreign key\"</p>"},
  });
  EXPECT_EQ(Listed("\"foreign key\""), (Names{"Phrase", "Quote"}));
  EXPECT_EQ(Listed("\"  foreign   key \""), (Names{"Phrase", "Quote"}));
  EXPECT_EQ(Listed("\"foreign key"), (Names{"Phrase", "Quote"}));  // left open: to the end
  EXPECT_EQ(Listed("foreign key").size(), 3u);
  EXPECT_EQ(SplitSearchPhrases("a \"b  c\" d\t\"\" e\"f g"),
            (std::vector<std::string>{"a", "b c", "d", "e", "f g"}));
}

TEST_F(VisibleSearchTest, AFoundPageScoresAtLeastOne) {
  // The word twice, far apart: its position (L - e) * 1000 / L is 0.
  MakeBook({{"far.html", "Far", "<p>word" + std::string(5000, 'x') + " word</p>"}});
  const std::vector<SearchHit> hits = Hits("word");
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_EQ(hits[0].entry.score, 1);
}

TEST_F(VisibleSearchTest, ExcerptsShowTheTextAroundTheFirstHitEscaped) {
  MakeBook({{"x.html", "X",
             "<p>&lt;script&gt;alert(\"x\")&lt;/script&gt; The Needle, and a needle.</p>"}});
  ASSERT_EQ(Hits("needle").size(), 1u);
  EXPECT_EQ(Hits("needle")[0].excerpt,
            "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; The <B>Needle</B>, and a "
            "<B>needle</B>.");
  // The page as a whole: the excerpt after the title, no markup of the page's own.
  const std::string page = *ReadWholeFile(BuildSearchPage(context, "needle", false));
  EXPECT_NE(page.find("TARGET=_top>X</A></B><BR>&lt;script&gt;"), std::string::npos);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(SearchExcerptTest, CutsNearTheHitAtSpacesAndCharacters) {
  std::string text;
  for (int k = 0; k < 40; ++k)
    text += "w\xC3\xA9rd" + std::to_string(k) + " ";
  text += "target";
  for (int k = 0; k < 40; ++k)
    text += " after" + std::to_string(k);
  const size_t hit = text.find("target");
  const std::string excerpt = MakeExcerpt(text, hit, {"TARGET"}, false, TextEncoding::kUtf8);
  EXPECT_EQ(excerpt.substr(0, 4), "... ");
  EXPECT_EQ(excerpt.substr(excerpt.size() - 4), " ...");
  EXPECT_NE(excerpt.find("<B>target</B>"), std::string::npos);
  // Whole words at both ends.
  EXPECT_EQ(excerpt.substr(4, 5), "w\xC3\xA9rd");
  EXPECT_LE(excerpt.size(), kExcerptLength + 8 + 7);
  // No hit in the text: its beginning, unmarked.
  EXPECT_EQ(MakeExcerpt("short text", std::string::npos, {"Q"}, false, TextEncoding::kUtf8),
            "short text");
  EXPECT_EQ(MakeExcerpt("", 0, {"X"}, false, TextEncoding::kUtf8), "");
  // A folded word marks the letters it stands for, whatever their length.
  EXPECT_EQ(MakeExcerpt("a \xC4\xB1x b", 2, {"IX"}, false, TextEncoding::kUtf8),
            "a <B>\xC4\xB1x</B> b");
  EXPECT_EQ(MakeExcerpt("Cat cat", 0, {"cat"}, true, TextEncoding::kUtf8), "Cat <B>cat</B>");
}

// ----- Books with their texts stored -----

// A TestBook that records visible-text search and carries the texts of its pages, made as
// quire-pack makes them; `text` replaces the stored text of one page, when given.
void StoreTexts(TestBook& book, const std::string& replacedPage = "",
                const std::string& replacement = "") {
  std::vector<PageText> texts;
  for (size_t i = 0; i < book.Input().files.size(); ++i) {
    const BookFileInput& file = book.Input().files[i];
    if (!file.entry.searchable || file.entry.expandVariables)
      continue;
    std::string text = file.entry.fileName == replacedPage
                           ? replacement
                           : SearchTextOfFile(file.entry.fileName, file.data, TextEncoding::kUtf8);
    texts.push_back({static_cast<uint32_t>(i), file.entry.fileName, text});
  }
  book.AddFile(kSearchTextEntry, SearchTextBytes(texts), false);
  book.Input().features.recorded = true;
  book.Input().features.visibleTextSearch = true;
}

TEST(StoredSearchTextsTest, TheSearchReadsTheStoredTextsWhichAreNeverExtracted) {
  ReaderContext context;
  TestBook book;
  book.AddPage("index.html", "<p>Start</p>");
  book.AddPage("a.html", "<p>alpha page</p>");
  book.AddPage("b.html", "<p>beta page</p>");
  EBookFile& vars = book.AddPage("vars.html", "<p>[={Edition}] page</p>");
  vars.expandVariables = true;
  book.AddVariable("Edition", "zebra", 1);
  // The stored text of a.html says "stored": only the stored texts know that word.
  StoreTexts(book, "a.html", "alpha stored");
  book.WriteFor(context);
  ASSERT_EQ(LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_FALSE(book.Extracted(kSearchTextEntry).has_value());
  EXPECT_FALSE(PathExists(context.store.BookFolder() + kSearchTextEntry));

  std::vector<PageEntry> results;
  SearchBook(context, "stored", false, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].title, "a.html");
  // The flagged page has no stored text: its extracted, expanded file is read.
  results.clear();
  SearchBook(context, "zebra", false, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].title, "vars.html");
  // a.html is what its stored text says, not what its file says.
  results.clear();
  SearchBook(context, "page", false, &results);
  EXPECT_EQ(results.size(), 2u);
}

// A book that keeps its site's folders: the stored texts name pages by their paths, and
// the results lead to those paths.
TEST(StoredSearchTextsTest, PagesInFoldersAreFoundByTheirStoredTexts) {
  ReaderContext context;
  TestBook book;
  book.AddPage("index.html", "<p>Start</p>");
  book.AddPage("guide/intro.html", "<p>alpha page</p>");
  book.AddPage("guide/deep/b.html", "<p>beta page</p>");
  StoreTexts(book, "guide/deep/b.html", "beta stored");
  book.WriteFor(context);
  ASSERT_EQ(LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_TRUE(PathExists(context.store.BookFolder() + "guide/deep/b.html"));

  std::vector<PageEntry> results;
  SearchBook(context, "stored", false, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].path, context.store.BookFolder() + "guide/deep/b.html");
  results.clear();
  SearchBook(context, "page", false, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].path, context.store.BookFolder() + "guide/intro.html");
}

TEST(StoredSearchTextsTest, DamagedStoredTextsFallBackToThePages) {
  ReaderContext context;
  // Each damage leaves the search to read the pages the texts did not give.
  for (int damage = 0; damage < 4; ++damage) {
    TestBook book;
    book.AddPage("index.html", "<p>Start</p>");
    book.AddPage("a.html", "<p>alpha page</p>");
    book.AddPage("b.html", "<p>beta page</p>");
    StoreTexts(book);
    std::string bytes = book.Bytes();
    if (damage == 0) {
      // The entry's data offset (after its name and a reserved integer) points past the
      // end of the file.
      std::string name = kSearchTextEntry;
      for (char& c : name)
        c = static_cast<char>(c ^ 0x5E);
      const size_t nameAt = bytes.find(name);
      ASSERT_NE(nameAt, std::string::npos);
      PutScrambledInt(&bytes, nameAt + name.size() + 4, 0x7FFFFF00);
    }
    const size_t at = bytes.find(std::string("\x97\x95\x92\xF7", 4));  // "QST1" scrambled
    ASSERT_NE(at, std::string::npos);
    if (damage == 1)
      bytes[at] = 'x';  // the mark
    if (damage == 2)
      bytes[at + 4] ^= 0x10;  // the count
    if (damage == 3)
      bytes[at + 8 + 12 + 8] ^= 0x40;  // the length of a.html's text
    book.WriteBytesFor(context, bytes);
    ASSERT_EQ(LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone) << damage;
    std::vector<PageEntry> results;
    SearchBook(context, "page", false, &results);
    EXPECT_EQ(results.size(), 2u) << damage;
  }
}

}  // namespace
}  // namespace quire::testing
