#include "pages/search.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "pages/html_text.h"
#include "pages/page_template.h"
#include "pages/pages_fixture.h"

namespace quire::testing {
namespace {

using Words = std::vector<std::string>;

// ----- Words -----

TEST(SplitQueryWordsTest, SplitsOnSpacesOnly) {
  EXPECT_EQ(SplitQueryWords(""), Words{});
  EXPECT_EQ(SplitQueryWords("   "), Words{});
  EXPECT_EQ(SplitQueryWords("  cat  dog "), (Words{"cat", "dog"}));
  EXPECT_EQ(SplitQueryWords("a\tb\nc"), Words{"a\tb\nc"});
  EXPECT_EQ(SplitQueryWords("cat cat"), (Words{"cat", "cat"}));
}

TEST(SplitQueryWordsTest, LongQueriesAreSplitFromTheirFirst1023Bytes) {
  EXPECT_EQ(SplitQueryWords(std::string(1020, ' ') + "cat dog"), Words{"cat"});
  EXPECT_EQ(SplitQueryWords(std::string(1021, ' ') + "cats"), Words{"ca"});
  EXPECT_EQ(SplitQueryWords(std::string(1023, ' ') + "cats"), Words{});
}

// ----- One text -----

struct TextCase {
  std::string text;
  std::string word;
  bool caseSensitive;
  int64_t weight;
  int64_t position;
};

TEST(ScoreTextTest, WeightsAndPositionsByHand) {
  const std::string thousand = "ab" + std::string(498, 'x') + "ab" + std::string(498, 'x');
  const TextCase cases[] = {
      // Empty text: nothing.
      {"", "cat", false, 0, 0},
      // c = 3, L = 3: 3*3*10 + min(300000/3, 1000); found once.
      {"Cat", "cat", false, 1090, 1000},
      {"Cat", "cat", true, 1090, 0},
      {"dog", "cat", false, 1090, 0},
      // Second occurrence at 8 of 11: (11 - 8) * 1000 / 11.
      {"cat dog cat", "CAT", false, 1090, 272},
      // Overlapping occurrences count: second "aa" starts at 1.
      {"aaa", "aa", true, 1040, 666},
      // L = 1000, c = 2: 40 + 200000/1000; second "ab" at 500.
      {thousand, "AB", false, 240, 500},
      // The counted length stops at 10; 100000*10/200000 = 5.
      {std::string(200000, 'x'), "abcdefghijklmno", true, 1005, 0},
      // The empty word counts as length 1 and is found once.
      {"abc", "", true, 1010, 1000},
      // The search for a second occurrence starts on the first one's first byte, which then
      // reads as a blank: a word beginning with a blank is found there again, e = 1.
      {"a b", " b", true, 1040, 666},
      // Bytes that are no UTF-8 are not folded.
      {"\xC9t\xC9", "\xE9", false, 1010, 0},
      // Letters of every language are: été finds ÉTÉ, москва finds МОСКВА.
      {"L'\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, 10 * 25 + 1000, 1000},
      {"\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", false, 2000, 1000},
      {"\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
       "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0", true, 2000, 0},
  };
  for (const TextCase& c : cases) {
    TextScore score = ScoreText(c.text, c.word, c.caseSensitive, TextEncoding::kUtf8);
    EXPECT_EQ(score.weight, c.weight) << c.text.substr(0, 20) << " / " << c.word;
    EXPECT_EQ(score.position, c.position) << c.text.substr(0, 20) << " / " << c.word;
  }
}

// ----- One page -----

class ScoreFileTest : public PagesTest {
 protected:
  int32_t Score(const std::string& content, const Words& words, const std::string& title,
                bool caseSensitive = false, const std::string& description = "",
                const std::string& keywords = "") {
    std::string path = m_tmp.File("page.html");
    EXPECT_TRUE(WriteWholeFile(path, content));
    return ScoreFile(path, words, title, description, keywords, caseSensitive,
                     context.book.Encoding());
  }
};

TEST_F(ScoreFileTest, SmallPageByHand) {
  // Body (1090, 272), title (1090, 1000): (1090*272 + 1090*1000) * 10 / 2180.
  EXPECT_EQ(Score("cat dog cat", {"cat"}, "Cat"), 6360);
  // Case-sensitive: the title no longer matches: 1090*272*10 / 2180.
  EXPECT_EQ(Score("cat dog cat", {"cat"}, "Cat", true), 1360);
}

TEST_F(ScoreFileTest, KeywordsWeighDouble) {
  // Body "dog" (1090, 0); keywords "cat" (2*1090, 1000): 2180*1000*10 / 3270.
  EXPECT_EQ(Score("dog", {"cat"}, "", false, "", "cat"), 6666);
  // Description instead: 1090*1000*10 / 2180.
  EXPECT_EQ(Score("dog", {"cat"}, "", false, "cat", ""), 5000);
}

TEST_F(ScoreFileTest, TwoWordsByHand) {
  // "cat": body (1090, 1000). "is": c = 2, L = 6: 40 + 1000 = 1040, absent.
  // (1090*1000) * 10 / (1090 + 1040) = 10900000 / 2130.
  EXPECT_EQ(Score("cat ok", {"cat", "is"}, ""), 5117);
}

TEST_F(ScoreFileTest, RepeatedWordChangesNothing) {
  EXPECT_EQ(Score("cat dog cat", {"cat", "cat"}, "Cat"), 6360);
}

TEST_F(ScoreFileTest, WordOnlyInTheTitleStillScores) {
  EXPECT_GT(Score("nothing here", {"cat"}, "Cat"), 0);
  EXPECT_EQ(Score("nothing here", {"cat"}, "Dog"), 0);
}

TEST_F(ScoreFileTest, BestPageIsOneHundredPercentAlsoWithManyLongWords) {
  // 30 long words found once in each text: the 32-bit sums of old would overflow here.
  Words words(30, "abcdefghij");
  EXPECT_EQ(Score("abcdefghij", words, "abcdefghij", false, "abcdefghij", "abcdefghij"),
            kBestScore);
  EXPECT_EQ(FormatMatchPercent(kBestScore), "100.0%");
}

TEST_F(ScoreFileTest, APageHoldingAWordScoresAtLeastOne) {
  // The word twice, far apart: (L - e) * 1000 / L is 0 for the body, and nothing else
  // holds it; still the page holds the word.
  EXPECT_EQ(Score("word" + std::string(5000, 'x') + "word", {"word"}, ""), 1);
  EXPECT_EQ(Score("nothing" + std::string(5000, 'x'), {"word"}, ""), 0);
  // A higher score stays as it is.
  EXPECT_EQ(Score("cat dog cat", {"cat"}, "Cat"), 6360);
}

TEST_F(ScoreFileTest, OnlyTheFirst63999BytesUpToAZeroByteCount) {
  EXPECT_EQ(Score(std::string(63999, 'x') + "needle", {"needle"}, ""), 0);
  EXPECT_GT(Score(std::string(63993, 'x') + "needle", {"needle"}, ""), 0);
  EXPECT_EQ(Score(std::string("ab\0needle", 9), {"needle"}, ""), 0);
}

TEST_F(ScoreFileTest, NoWordsOrNoTextScoresZero) {
  EXPECT_EQ(Score("cat", {}, "cat"), 0);
  EXPECT_EQ(Score("", {"cat"}, "cat"), 0);
  EXPECT_EQ(Score(std::string("\0cat", 4), {"cat"}, "cat"), 0);
  EXPECT_EQ(
      ScoreFile(m_tmp.File("missing.html"), {"cat"}, "cat", "", "", false, context.book.Encoding()),
      0);
  EXPECT_EQ(ScoreFile(m_tmp.Path(), {"cat"}, "cat", "", "", false, context.book.Encoding()), 0);
}

// ----- The book -----

class SearchBookTest : public PagesTest {
 protected:
  SearchBookTest() {
    m_settings.title = "Zoo";
    std::vector<EBookFile> files = {
        Searchable(PageFile("dog.html", "Dogs", "all about dogs")),
        Searchable(PageFile("cat.html", "Cats", "")),
        PageFile("secret.html", "Secret cats"),
        Searchable(PageFile("both.html", "Both", "cat & dog", "cat")),
    };
    LoadBook(m_settings, files);
    WriteBookPage("dog.html", "<p>a dog</p>");
    WriteBookPage("cat.html", "<p>one Cat, two cats</p>");
    WriteBookPage("secret.html", "cat cat cat");
    WriteBookPage("both.html", "cat and dog");
  }

  static EBookFile Searchable(EBookFile file) {
    file.searchable = true;
    return file;
  }

  std::string Row(int k, const std::string& name, const std::string& title,
                  const std::string& extra) {
    return "<BR><TABLE WIDTH=100% COLS=3 CELLSPACING=0 CELLPADDING=0 BORDER=0 RULES=NONE><TR>"
           "<TD WIDTH=7% VALIGN=TOP ALIGN=RIGHT><FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 "
           "COLOR=563412>" +
           std::to_string(k) +
           ".</FONT></TD><TD WIDTH=3%>&nbsp;</TD><TD WIDTH=90% VALIGN=TOP ALIGN=LEFT>"
           "<FONT FACE=\"Arial,Helvetica,Verdana\" SIZE=2 COLOR=563412><B><A HREF=\"" +
           context.store.BookFolder() + name + "\" TARGET=_top>" + title + "</A></B>" + extra +
           "</FONT></TD></TR></TABLE>";
  }

  std::string Page(const std::string& body) {
    return PageHeader("Zoo", 0, 0, 0, -2) + PageSection("Search Results", body, 0, 0x123456) +
           PageFooter();
  }

  EBookSettings m_settings = [] {
    EBookSettings s = DefaultSettings();
    s.textColor = 0x123456;
    return s;
  }();
};

TEST_F(SearchBookTest, ScoresSearchablePagesInDirectoryOrder) {
  std::vector<PageEntry> results;
  EXPECT_TRUE(SearchBook(context, "cat", false, &results));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].title, "Cats");
  EXPECT_EQ(results[0].path, context.store.BookFolder() + "cat.html");
  EXPECT_EQ(results[0].sortKey, "");
  EXPECT_EQ(results[1].title, "Both");
  EXPECT_EQ(results[1].description, "cat & dog");
  EXPECT_EQ(results[1].score, ScoreFile(context.store.BookFolder() + "both.html", {"cat"}, "Both",
                                        "cat & dog", "cat", false, context.book.Encoding()));
  EXPECT_EQ(m_window.TakeCalls(),
            (std::vector<std::string>{"SetStatusText:Searching", "BeginWaitCursor",
                                      "ShowProgress:Searching,20", "ShowProgress:Searching,40",
                                      "ShowProgress:Searching,60", "ShowProgress:Searching,80",
                                      "HideProgress", "SetStatusText:Ready", "EndWaitCursor"}));
}

TEST_F(SearchBookTest, ScoreFileWithoutWordsUsesTheLastQuery) {
  std::vector<PageEntry> results;
  SearchBook(context, "dog cat", false, &results);
  const std::string both = context.store.BookFolder() + "both.html";
  EXPECT_EQ(
      ScoreFile(context, both, "Both", "cat & dog", "cat", false),
      ScoreFile(both, {"dog", "cat"}, "Both", "cat & dog", "cat", false, context.book.Encoding()));
  SearchBook(context, "zebra", false, &results);
  EXPECT_EQ(ScoreFile(context, both, "Both", "cat & dog", "cat", false), 0);
  SearchBook(context, "   ", false, &results);
  EXPECT_EQ(ScoreFile(context, both, "Both", "cat & dog", "cat", false), 0);
}

TEST_F(SearchBookTest, CaseSensitiveSearchMissesOtherCase) {
  std::vector<PageEntry> results;
  SearchBook(context, "Cat", true, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].title, "Cats");
}

TEST_F(SearchBookTest, UnreadablePageIsLeftOut) {
  ASSERT_EQ(unlink((context.store.BookFolder() + "cat.html").c_str()), 0);
  std::vector<PageEntry> results;
  SearchBook(context, "cat", false, &results);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].title, "Both");
}

TEST_F(SearchBookTest, ResultsPageNumbersSortedResults) {
  std::vector<PageEntry> results;
  SearchBook(context, "dog <&>", false, &results);
  ASSERT_EQ(results.size(), 2u);
  // "Dogs": "dog" is found once in body, title and description (1090, 1000 each); "<&>"
  // weighs the same there and is found nowhere: 3*1090*1000*10 / (6*1090).
  EXPECT_EQ(results[0].title, "Dogs");
  EXPECT_EQ(results[0].score, 5000);
  // "Both": "dog" found once in body and description, absent from title and keywords
  // (2*1090); "<&>" found nowhere: 2*1090*1000*10 / (2*(3*1090 + 2*1090)).
  EXPECT_EQ(results[1].title, "Both");
  EXPECT_EQ(results[1].score, 2000);
  std::string path = BuildSearchPage(context, "dog <&>", false);
  EXPECT_EQ(path, context.store.BookFolder() + "__search.html");
  std::string body =
      "Searching for <B>dog &lt;&amp;&gt;</B> - these documents were found:<BR>" +
      Row(1, "dog.html", "Dogs", "<BR>all about dogs<BR><I><SMALL>50.0% match</SMALL></I>") +
      Row(2, "both.html", "Both", "<BR>cat &amp; dog<BR><I><SMALL>20.0% match</SMALL></I>");
  EXPECT_EQ(ReadWholeFile(path), Page(body));
}

TEST_F(SearchBookTest, PagesInFoldersAreFoundAndLinkedByTheirPaths) {
  ASSERT_EQ(mkdir((context.store.BookFolder() + "zoo").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((context.store.BookFolder() + "zoo/big cats#2").c_str(), 0700), 0);
  LoadBook(m_settings, {Searchable(PageFile("zoo/big cats#2/lion.html", "Lion", "")),
                        Searchable(PageFile("zoo/dog.html", "Dog", ""))});
  WriteBookPage("zoo/big cats#2/lion.html", "<p>a lion is a cat</p>");
  WriteBookPage("zoo/dog.html", "<p>no such animal here</p>");
  const std::string path = BuildSearchPage(context, "lion", false);
  const std::string body =
      "Searching for <B>lion</B> - these documents were found:<BR>" +
      Row(1, "zoo/big%20cats%232/lion.html", "Lion", "<BR><I><SMALL>100.0% match</SMALL></I>");
  std::string expected = Page(body);
  // The '#' makes the link a file URL, each part escaped on its own.
  const std::string plain = "HREF=\"" + context.store.BookFolder();
  expected.replace(expected.find(plain), plain.size(),
                   "HREF=\"file://" + context.store.BookFolder());
  EXPECT_EQ(ReadWholeFile(path), expected);
}

// A book without the record of a visible-text search (one rebind took over, one written
// by another tool) searches as it always did: the raw bytes, markup and quotes included,
// no excerpts, and the results page byte for byte as before.
TEST_F(SearchBookTest, BooksWithoutTheRecordSearchTheirRawBytesAsBefore) {
  std::vector<EBookFile> files = {
      Searchable(PageFile("nav.html", "Nav", "")),
      Searchable(PageFile("quote.html", "Quote", "")),
      Searchable(PageFile("text.html", "Text", "")),
  };
  LoadBook(m_settings, files);
  WriteBookPage("nav.html", "<div class=\"navheader\">x</div>");
  WriteBookPage("quote.html", "<p>say \"hi\" there</p>");
  WriteBookPage("text.html", "<p>say hi there</p>");
  BookFeatures features;
  features.recorded = true;  // a record of an older build, without the search key
  context.book.SetFeatures(features);
  EXPECT_FALSE(SearchesVisibleText(context.book));
  EXPECT_EQ(QueryWords(context.book, "navheader \"hi\""), (Words{"navheader", "\"hi\""}));

  const std::string query = "navheader \"hi\"";
  const int32_t nav = ScoreFile(context.store.BookFolder() + "nav.html", {"navheader", "\"hi\""},
                                "Nav", "", "", false, context.book.Encoding());
  const int32_t quote =
      ScoreFile(context.store.BookFolder() + "quote.html", {"navheader", "\"hi\""}, "Quote", "", "",
                false, context.book.Encoding());
  ASSERT_GT(nav, 0);
  ASSERT_GT(quote, 0);
  ASSERT_NE(nav, quote);
  auto row = [&](int k, const std::string& name, const std::string& title, int32_t score) {
    return Row(k, name, title, "<BR><I><SMALL>" + FormatMatchPercent(score) + " match</SMALL></I>");
  };
  const bool navFirst = nav > quote;
  const std::string body =
      "Searching for <B>navheader &quot;hi&quot;</B> - these documents were found:<BR>" +
      (navFirst ? row(1, "nav.html", "Nav", nav) + row(2, "quote.html", "Quote", quote)
                : row(1, "quote.html", "Quote", quote) + row(2, "nav.html", "Nav", nav));
  EXPECT_EQ(ReadWholeFile(BuildSearchPage(context, query, false)), Page(body));
}

TEST_F(SearchBookTest, EqualScoresAreListedByTitleThenDescriptionThenPath) {
  // The word is only in each body; titles and descriptions of equal length weigh the same,
  // so every page scores 1090*1000*10 / (3*1090). The directory lists them backwards.
  std::vector<EBookFile> files = {
      Searchable(PageFile("z.html", "Bb", "d1")),
      Searchable(PageFile("y.html", "Aa", "d2")),
      Searchable(PageFile("x.html", "Aa", "d1")),
      Searchable(PageFile("w.html", "Aa", "d1")),
  };
  LoadBook(m_settings, files);
  for (const EBookFile& file : files)
    WriteBookPage(file.fileName, "cat");
  const std::string percent = "<BR><I><SMALL>33.3% match</SMALL></I>";
  std::string body =
      "Searching for <B>cat</B> - these documents were found:<BR>" +
      Row(1, "w.html", "Aa", "<BR>d1" + percent) + Row(2, "x.html", "Aa", "<BR>d1" + percent) +
      Row(3, "y.html", "Aa", "<BR>d2" + percent) + Row(4, "z.html", "Bb", "<BR>d1" + percent);
  EXPECT_EQ(ReadWholeFile(BuildSearchPage(context, "cat", false)), Page(body));
}

TEST_F(SearchBookTest, ResultsPageWithoutDescriptionsOrPercentages) {
  m_settings.searchShowDescriptions = 0;
  m_settings.searchShowPercent = 0;
  LoadBook(m_settings, context.book.Files());
  std::string body = "Searching for <B>dog</B> - these documents were found:<BR>" +
                     Row(1, "dog.html", "Dogs", "") + Row(2, "both.html", "Both", "");
  EXPECT_EQ(ReadWholeFile(BuildSearchPage(context, "dog", false)), Page(body));
}

TEST_F(SearchBookTest, NoMatchAndSpacesOnlyGiveTheNoMatchPage) {
  EXPECT_EQ(ReadWholeFile(BuildSearchPage(context, "zebra", false)),
            Page("Searching for <B>zebra</B> - no matching documents were found.<BR>"));
  EXPECT_EQ(ReadWholeFile(BuildSearchPage(context, "   ", false)),
            Page("Searching for <B>   </B> - no matching documents were found.<BR>"));
}

TEST_F(SearchBookTest, DialogAnswersBuildTheResultsPage) {
  m_window.searchAnswers.push_back(std::nullopt);
  m_window.searchAnswers.push_back(std::make_pair(std::string("Cat"), true));
  EXPECT_EQ(ShowSearchDialog(context), "");
  EXPECT_FALSE(PathExists(context.store.BookFolder() + "__search.html"));
  std::string path = ShowSearchDialog(context);
  EXPECT_EQ(path, context.store.BookFolder() + "__search.html");
  std::string page = *ReadWholeFile(path);
  EXPECT_NE(page.find("cat.html"), std::string::npos);
  EXPECT_EQ(page.find("both.html"), std::string::npos);  // case-sensitive: no "Cat" there
}

// ----- Percentages -----

TEST(FormatMatchPercentTest, OneDecimalAsATable) {
  const std::pair<int32_t, const char*> cases[] = {
      {0, "0.0%"},       {9, "0.0%"},        {10, "0.1%"},    {57, "0.5%"},    {99, "0.9%"},
      {100, "1.0%"},     {999, "9.9%"},      {1000, "10.0%"}, {8734, "87.3%"}, {9999, "99.9%"},
      {10000, "100.0%"}, {123456, "100.0%"}, {-50, "0.0%"},
  };
  for (const auto& [score, text] : cases)
    EXPECT_EQ(FormatMatchPercent(score), text) << score;
}

}  // namespace
}  // namespace quire::testing
