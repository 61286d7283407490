#include "session/browser_notice.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/page_template.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::PathExists;
using testing::TestBook;

TEST(MissingLibraryNameTest, NamesTheLibraryTheLoaderCouldNotLoad) {
  const std::string self = "/proc/self/fd/3";
  struct Case {
    const char* error;
    const char* library;
  } cases[] = {
      {"libwebkit2gtk-4.1.so.0: cannot open shared object file: No such file or directory",
       "libwebkit2gtk-4.1.so.0"},
      // Found on the path but unusable (hidden behind /dev/null, damaged).
      {"/usr/lib/x86_64-linux-gnu/libwebkit2gtk-4.1.so.0: file too short",
       "libwebkit2gtk-4.1.so.0"},
      {"libgtk-3.so.0: cannot open shared object file: No such file or directory", "libgtk-3.so.0"},
      // The front end itself is at fault, not a library it needs.
      {"/proc/self/fd/3: undefined symbol: _ZN5quire3OldEv", ""},
      {"/proc/self/fd/3: invalid ELF header", ""},
      {"", ""},
      {"no place to load the reader's window from", ""},
      {": starts with the separator", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MissingLibraryName(c.error, self), c.library) << c.error;
}

TEST(BrowserNoticeTextTest, MessageBoxTextInFull) {
  EXPECT_EQ(BrowserNoticeText("libwebkit2gtk-4.1.so.0", "ignored", "file:///t/B.k9w/index.html",
                              NoticeMedium::kMessageBox),
            "This book opens in its own window with WebKitGTK 4.1, which this computer lacks "
            "(libwebkit2gtk-4.1.so.0 is missing). It is open in your web browser instead, "
            "where script links, extension libraries and the search do nothing.\n"
            "To read it in its window, install WebKitGTK and start the book again:\n"
            "  Debian, Ubuntu: sudo apt install libwebkit2gtk-4.1-0\n"
            "  Fedora: sudo dnf install webkit2gtk4.1\n"
            "  Arch: sudo pacman -S webkit2gtk-4.1\n"
            "The book: file:///t/B.k9w/index.html\n"
            "Its pages stay until you choose \"Close the book\".");
}

TEST(BrowserNoticeTextTest, WithoutABrowserItSaysSoAndWhereTheBookIs) {
  const std::string text = BrowserNoticeText("libwebkit2gtk-4.1.so.0", "", "file:///t/index.html",
                                             NoticeMedium::kMessageBox, false);
  EXPECT_EQ(text.find("is open in your web browser"), std::string::npos) << text;
  EXPECT_NE(text.find("(libwebkit2gtk-4.1.so.0 is missing). No web browser could be opened for "
                      "it: open the address below in one, where script links"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nThe book: file:///t/index.html\n"), std::string::npos);
  EXPECT_NE(text.find("sudo apt install libwebkit2gtk-4.1-0"), std::string::npos);
}

TEST(BrowserNoticeTextTest, EachMediumSaysHowTheBookCloses) {
  struct Case {
    NoticeMedium medium;
    const char* ending;
  } cases[] = {
      {NoticeMedium::kMessageBox, "\nIts pages stay until you choose \"Close the book\"."},
      {NoticeMedium::kTerminal, "\nPress Ctrl+C to close the book."},
      {NoticeMedium::kPage, "\nThe book closes when you log out, or after 12 hours."},
  };
  for (const Case& c : cases) {
    const std::string text = BrowserNoticeText("libgtk-3.so.0", "", "file:///x", c.medium);
    const std::string ending = c.ending;
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
    EXPECT_NE(text.find("(libgtk-3.so.0 is missing)"), std::string::npos);
  }
}

TEST(BrowserNoticeTextTest, WithoutALibraryNameTheLoaderTextIsQuoted) {
  const std::string text = BrowserNoticeText("", "/proc/self/fd/3: undefined symbol: x",
                                             "file:///x", NoticeMedium::kTerminal);
  EXPECT_NE(text.find("could not be loaded here (/proc/self/fd/3: undefined symbol: x)"),
            std::string::npos);
  EXPECT_NE(text.find("sudo apt install libwebkit2gtk-4.1-0"), std::string::npos);
}

// The generated pages written for the browser follow the book's modes: 1 none, 2 the book's
// own page, anything else generated.
TEST(WriteBrowserPagesTest, WritesTheGeneratedPagesTheBookHas) {
  ReaderContext context;
  struct Case {
    int32_t contentsMode, aboutMode;
    bool contents, about;
  } cases[] = {
      {3, 3, true, true},   {0, 0, true, true},  {1, 1, false, false},
      {2, 2, false, false}, {3, 1, true, false}, {1, 3, false, true},
  };
  for (const Case& c : cases) {
    FakeWindow window{context.window};
    TestBook book;
    book.AddPage("index.html", "<p>start</p>");
    book.AddPage("own.html", "<p>own</p>");
    book.Settings().contentsMode = c.contentsMode;
    book.Settings().aboutMode = c.aboutMode;
    book.Settings().contentsPageName = "own.html";
    book.Settings().aboutPageName = "own.html";
    book.WriteFor(context);
    ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
    WriteBrowserPages(context);
    EXPECT_EQ(book.Extracted(kContentsPageFile).has_value(), c.contents) << c.contentsMode;
    EXPECT_EQ(book.Extracted(kAboutPageFile).has_value(), c.about) << c.aboutMode;
    context.store.Cleanup();
    EXPECT_FALSE(PathExists(book.Folder())) << "everything written goes with the book";
  }
}

TEST(WriteNoticePageTest, EscapesTheTextAndLinksThePagesThatExist) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>start</p>");
  book.Settings().contentsMode = 1;  // no contents page
  book.Settings().aboutMode = 3;     // a generated about page
  book.WriteFor(context);
  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  WriteBrowserPages(context);
  const std::string path = WriteNoticePage(context, "Missing <lib> & \"more\"\nsecond line");
  EXPECT_EQ(path, book.Folder() + kNoticePageFile);
  const std::string page = book.Extracted(kNoticePageFile).value_or("");
  EXPECT_NE(page.find("Missing &lt;lib&gt; &amp; &quot;more&quot;"), std::string::npos) << page;
  EXPECT_EQ(page.find("<lib>"), std::string::npos);
  EXPECT_NE(page.find("second line"), std::string::npos);
  EXPECT_NE(page.find("file://" + book.Folder() + "index.html\">Start page</A>"), std::string::npos)
      << page;
  EXPECT_NE(page.find(std::string(kAboutPageFile) + "\">About this E-Book</A>"), std::string::npos);
  EXPECT_EQ(page.find(kContentsPageFile), std::string::npos);
  context.store.Cleanup();
  EXPECT_FALSE(PathExists(path));
}

}  // namespace
}  // namespace quire
