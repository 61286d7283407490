#include "session/link_actions.h"

#include <gtest/gtest.h>

#include <string>

namespace quire {
namespace {

constexpr char kFolder[] = "/tmp/quire-1000/BOOK-1.k9w/";
constexpr char kFolderUrl[] = "file:///tmp/quire-1000/BOOK-1.k9w/";

TEST(LinkStatusTextTest, ABookFileShowsAsItsPathInTheBookEverythingElseAsItIs) {
  const std::string in = kFolderUrl;
  const struct {
    std::string url;
    std::string shown;
  } cases[] = {
      {"", ""},
      {in + "chapter2.html", "chapter2.html"},
      {in + "chapter%202.html#intro", "chapter 2.html#intro"},
      {in + "index.html##SEARCH('fog%20lantern')", "index.html##SEARCH('fog lantern')"},
      {in + "index.html#!show.txt", "index.html#!show.txt"},
      {in + "sub/page.html?q=1", "sub/page.html"},
      {"https://example.org/a%20b", "https://example.org/a%20b"},
      {"mailto:ada@example.org", "mailto:ada@example.org"},
      {"file:///etc/passwd", "file:///etc/passwd"},
      // A folder that only begins like the book's is another folder.
      {"file:///tmp/quire-1000/BOOK-1.k9wx/a.html", "file:///tmp/quire-1000/BOOK-1.k9wx/a.html"},
      {"https://example.org/\nline", "https://example.org/ line"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LinkStatusText(c.url, kFolder), c.shown) << c.url;
  EXPECT_EQ(LinkStatusText(in + "a.html", ""), in + "a.html");
}

TEST(LinkMenuForTest, OutsideGoesOnlyWhatTheUsersProgramsCanShowAndNoScriptLink) {
  const std::string in = kFolderUrl;
  const struct {
    std::string url;
    bool open, outside, copy;
  } cases[] = {
      {"", false, false, false},
      {"https://example.org/", true, true, true},
      {"HTTP://example.org/", true, true, true},
      {"ftp://example.org/f", true, true, true},
      {"mailto:ada@example.org", true, true, true},
      {"news:comp.lang", true, true, true},
      {in + "chapter2.html#intro", true, true, true},
      {in + "index.html##FILEWRITE('ok','x','y')", true, false, true},
      {in + "index.html#!show.txt", true, false, true},
      {in + "index.html#@script.txt", true, false, true},
      {"javascript:alert(1)", false, false, true},
      {"JavaScript:void(0)", false, false, true},
      {"data:text/html,<p>x</p>", true, false, true},
      {"blob:file:///x", true, false, true},
      {"about:blank", true, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    const LinkMenuOffer offer = LinkMenuFor(c.url);
    EXPECT_EQ(offer.openLink, c.open);
    EXPECT_EQ(offer.openOutside, c.outside);
    EXPECT_EQ(offer.copyAddress, c.copy);
  }
}

TEST(OpensInUsersProgramsTest, OnlyWebAndMailLinksOfTheGeneratedAboutPage) {
  NavigationContext about;
  about.bookFolder = kFolder;
  about.shownUrl = std::string(kFolderUrl) + "__about.html";
  NavigationContext page = about;
  page.shownUrl = std::string(kFolderUrl) + "index.html";
  NavigationContext foreign = about;
  foreign.shownUrl = "file:///home/someone/__about.html";
  NavigationContext noBook = about;
  noBook.bookFolder.clear();

  EXPECT_TRUE(OpensInUsersPrograms("https://quire-reader.org/", about));
  EXPECT_TRUE(OpensInUsersPrograms("HTTP://example.org/a.asp?r77", about));
  EXPECT_TRUE(OpensInUsersPrograms("mailto:ada@example.org", about));
  about.shownUrl += "#top";
  EXPECT_TRUE(OpensInUsersPrograms("ftp://example.org/", about));

  EXPECT_FALSE(OpensInUsersPrograms(std::string(kFolderUrl) + "index.html", about));
  EXPECT_FALSE(OpensInUsersPrograms("javascript:alert(1)", about));
  EXPECT_FALSE(OpensInUsersPrograms("file:///etc/passwd", about));
  EXPECT_FALSE(OpensInUsersPrograms("https://example.org/", page));
  EXPECT_FALSE(OpensInUsersPrograms("https://example.org/", foreign));
  EXPECT_FALSE(OpensInUsersPrograms("https://example.org/", noBook));
}

}  // namespace
}  // namespace quire
