#include "session/reading_state.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::testing {
namespace {

const std::string kHeader = std::string(kReadingStateHeader) + "\n";

// A file of one book "B" with `lines` after its book line.
std::string OneBook(const std::string& lines) {
  return kHeader + "book\tB\t100\n" + lines;
}

BookReading Used(int64_t used, std::optional<int> textSize = std::nullopt) {
  BookReading book;
  book.used = used;
  book.textSize = textSize;
  return book;
}

BookReading FullBook() {
  BookReading book;
  book.used = 1700000000;
  book.lastPage = BookPlace{"library/os.html", "os.getcwd"};
  book.textSize = 3;
  book.contentsPane = true;
  book.bookmarks = {{{"index.html", ""}, "Start \xE2\x80\x94 here"},
                    {{"a b%.html", "x"}, "100% done"},  // '%' escaped on the way out
                    {{"c.html", ""}, ""}};
  return book;
}

TEST(ReadingStateTest, WrittenStatesReadBackTheSame) {
  ReadingStates states;
  states["B"] = FullBook();
  states["id with\ttab and %"] = Used(5, 0);
  const std::string text = WriteReadingStates(states);
  EXPECT_EQ(text.rfind(kHeader, 0), 0u);
  EXPECT_EQ(ParseReadingStates(text), states);
}

TEST(ReadingStateTest, WritingKeepsOnlyWhatReadingWouldKeep) {
  ReadingStates states;
  BookReading book;
  book.used = 1;
  book.lastPage = BookPlace{"../../etc/passwd", ""};
  book.textSize = 7;
  book.bookmarks = {
      {{"index.html", "##EXIT"}, "t"}, {{"ok.html", ""}, "ok"}, {{"ok.html", ""}, "twice"}};
  states["B"] = book;
  states[""] = FullBook();                                     // no id
  states[std::string(kMaxBookIdBytes + 1, 'i')] = FullBook();  // too long an id
  states["empty"] = Used(9);                                   // nothing to keep
  const ReadingStates back = ParseReadingStates(WriteReadingStates(states));
  ASSERT_EQ(back.size(), 1u);
  const BookReading& kept = back.at("B");
  EXPECT_FALSE(kept.lastPage);
  EXPECT_FALSE(kept.textSize);
  ASSERT_EQ(kept.bookmarks.size(), 1u);
  EXPECT_EQ(kept.bookmarks[0].title, "ok");
}

TEST(ReadingStateTest, ForeignOrDamagedFilesGiveNothing) {
  const std::string cases[] = {
      "",
      "quire-reading-state 2\nbook\tB\t1\nsize\t1\n",
      "Quire-Reading-State 1\nbook\tB\t1\nsize\t1\n",
      "quire-reading-state 1 \nbook\tB\t1\nsize\t1\n",
      "quire-reading-state 1\r\nbook\tB\t1\nsize\t1\n",
      "\nquire-reading-state 1\nbook\tB\t1\nsize\t1\n",
      "[B]\npage=index.html\n",
      "\x89PNG\r\n\x1a\n",
      // Longer than any file this reader writes.
      kHeader + "book\tB\t1\nsize\t1\n" + std::string(kMaxReadingStateBytes, '\n'),
  };
  for (const std::string& text : cases)
    EXPECT_TRUE(ParseReadingStates(text).empty()) << text.substr(0, 40);
}

TEST(ReadingStateTest, HostileOrBrokenLinesAreDropped) {
  // Each line alone after a sound book line: it must leave the book with nothing.
  const std::string cases[] = {
      // Places outside the book, or that are no stored names.
      "page\t../../etc/passwd\t\n",
      "page\t/etc/passwd\t\n",
      "page\tfile:///etc/passwd\t\n",
      "page\tfile:%2F%2F%2Fetc/passwd\t\n",
      "page\thttp://example.org/x.html\t\n",
      "page\ta/../../b.html\t\n",
      "page\t%2E%2E/b.html\t\n",
      "page\ta%5Cb.html\t\n",
      "page\ta%00b.html\t\n",
      "page\t\t\n",
      // Fragments that would make a script link of the address.
      "page\tindex.html\t#EXIT\n",
      "page\tindex.html\t!script.txt\n",
      "page\tindex.html\t%23%23EXIT\n",
      "page\tindex.html\t@x\n",
      // Wrong field counts, unknown records, bad escapes, raw control bytes.
      "page\tindex.html\n",
      "page\tindex.html\t\textra\n",
      "pages\tindex.html\t\n",
      "PAGE\tindex.html\t\n",
      "page\tindex%2.html\t\n",
      "page\tindex%zz.html\t\n",
      "page\tindex\x01.html\t\n",
      "page\tindex.html\x7f\t\n",
      // Sizes out of range, huge or not numbers.
      "size\t5\n",
      "size\t-1\n",
      "size\t99999999999999999999999\n",
      "size\t\n",
      "size\t+2\n",
      "size\t2 \n",
      "size\t0x2\n",
      "pane\tYES\n",
      "pane\t1\n",
      // Bookmarks with bad places or titles.
      "mark\t../x.html\t\tTitle\n",
      "mark\tindex.html\t##EXIT\tTitle\n",
      "mark\tindex.html\t\t\xFF\xFE title\n",       // not UTF-8
      "mark\tindex.html\t\tover\xC0\xAFlong\n",     // an overlong '/'
      "mark\tindex.html\t\tescaped %0A newline\n",  // a control character
      "mark\tindex.html\t\tC1 \xC2\x85 control\n",  // NEL
      "mark\tindex.html\t\t" + std::string(kMaxBookmarkTitleBytes + 1, 't') + "\n",
      "mark\tindex.html\t\n",
  };
  for (const std::string& line : cases) {
    const ReadingStates states = ParseReadingStates(OneBook(line));
    ASSERT_EQ(states.size(), 1u) << line;
    EXPECT_TRUE(states.at("B").Empty()) << line;
  }
}

TEST(ReadingStateTest, ADroppedBookLineTakesItsLinesAlong) {
  const std::string text = kHeader +
                           "size\t1\n"  // before any book: belongs to none
                           "book\tA\tlater\n"
                           "size\t2\n"
                           "book\t\t5\n"  // no id
                           "size\t3\n"
                           "book\tC\t5\textra\n"
                           "size\t3\n"
                           "book\tD\t7\n"
                           "size\t4\n"
                           "book\tD\t8\n"  // D again: the first record counts
                           "size\t0\n"
                           "book\tE\t9\n"
                           "size\t1\n"
                           "size\t2\n";  // a second size of E is dropped
  const ReadingStates states = ParseReadingStates(text);
  ASSERT_EQ(states.size(), 2u);
  EXPECT_EQ(states.at("D").textSize, 4);
  EXPECT_EQ(states.at("D").used, 7);
  EXPECT_EQ(states.at("E").textSize, 1);
}

TEST(ReadingStateTest, BookmarksAreBoundedAndNeverTwiceAtOnePlace) {
  std::string lines;
  for (size_t i = 0; i < kMaxBookmarks + 10; ++i)
    lines += "mark\tp" + std::to_string(i) + ".html\t\tPage " + std::to_string(i) + "\n";
  lines += "mark\tp0.html\t\tAgain\n";
  const ReadingStates states = ParseReadingStates(OneBook("mark\tp1.html\t\tFirst\n" + lines));
  const std::vector<Bookmark>& marks = states.at("B").bookmarks;
  ASSERT_EQ(marks.size(), kMaxBookmarks);
  EXPECT_EQ(marks[0].title, "First");
  EXPECT_EQ(marks[1].place.name, "p0.html");
  EXPECT_EQ(marks[1].title, "Page 0");
}

TEST(ReadingStateTest, TheMostRecentlyUsedBooksAreKept) {
  ReadingStates states;
  for (size_t i = 0; i < kMaxRememberedBooks + 20; ++i)
    states["book " + std::to_string(i)] = Used(static_cast<int64_t>(i), 1);
  const ReadingStates back = ParseReadingStates(WriteReadingStates(states));
  ASSERT_EQ(back.size(), kMaxRememberedBooks);
  EXPECT_EQ(back.count("book 19"), 0u);
  EXPECT_EQ(back.count("book 20"), 1u);
  EXPECT_EQ(back.count("book " + std::to_string(kMaxRememberedBooks + 19)), 1u);
}

TEST(ReadingStateTest, TheWrittenFileStaysWithinItsBound) {
  ReadingStates states;
  const std::string longName = std::string(200, 'n') + "/" + std::string(200, 'm') + ".html";
  for (int b = 0; b < 60; ++b) {
    BookReading book = Used(b);
    for (size_t i = 0; i < kMaxBookmarks; ++i)
      book.bookmarks.push_back({{longName + std::to_string(i), ""}, std::string(100, 't')});
    states["book " + std::to_string(b)] = book;
  }
  const std::string text = WriteReadingStates(states);
  EXPECT_LE(text.size(), kMaxReadingStateBytes);
  const ReadingStates back = ParseReadingStates(text);
  EXPECT_FALSE(back.empty());
  EXPECT_EQ(back.count("book 59"), 1u) << "the newest book is kept";
}

TEST(ReadingStateTest, TitlesAreMadeKeepable) {
  EXPECT_EQ(BookmarkTitle("Plain"), "Plain");
  EXPECT_EQ(BookmarkTitle("Caf\xC3\xA9 \xE2\x80\x94 menu"), "Caf\xC3\xA9 \xE2\x80\x94 menu");
  EXPECT_EQ(BookmarkTitle("a\tb\nc\x7f"), "a b c ");
  EXPECT_EQ(BookmarkTitle("bad \xFF byte"), "bad   byte");
  EXPECT_EQ(BookmarkTitle("nel \xC2\x85"), "nel  ");
  // Cut at a character boundary: the last "é" does not fit whole.
  const std::string title = std::string(kMaxBookmarkTitleBytes - 1, 'a') + "\xC3\xA9";
  EXPECT_EQ(BookmarkTitle(title), std::string(kMaxBookmarkTitleBytes - 1, 'a'));
}

}  // namespace
}  // namespace quire::testing
