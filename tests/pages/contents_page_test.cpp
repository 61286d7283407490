#include "pages/contents_page.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/page_template.h"
#include "pages/pages_fixture.h"

namespace quire::testing {
namespace {

// ----- Order -----

struct OrderCase {
  const char* why;
  PageEntry first;
  PageEntry second;
};

TEST(PageEntryOrderTest, OrdersAsATable) {
  const OrderCase cases[] = {
      {"higher score first", {"b", "", "/b", 20, ""}, {"a", "", "/a", 10, ""}},
      {"sort keys in byte order", {"x", "", "/x", 0, "10"}, {"a", "", "/a", 0, "2"}},
      {"empty sort key last", {"z", "", "/z", 0, "zz"}, {"a", "", "/a", 0, ""}},
      {"then titles", {"Apple", "", "/z", 0, "k"}, {"Berry", "", "/a", 0, "k"}},
      {"upper case before lower", {"Zoo", "", "/z", 0, ""}, {"ant", "", "/a", 0, ""}},
      {"empty title last", {"t", "", "/z", 0, ""}, {"", "", "/a", 0, ""}},
      {"then descriptions", {"t", "a", "/z", 0, ""}, {"t", "b", "/a", 0, ""}},
      {"empty description last", {"t", "z", "/z", 0, ""}, {"t", "", "/a", 0, ""}},
      {"then paths", {"t", "d", "/a", 0, ""}, {"t", "d", "/b", 0, ""}},
      {"bytes above 127 after ASCII", {"t\x7F", "", "/z", 0, ""}, {"t\xE9", "", "/a", 0, ""}},
  };
  for (const OrderCase& c : cases) {
    EXPECT_TRUE(PageEntryBefore(c.first, c.second)) << c.why;
    EXPECT_FALSE(PageEntryBefore(c.second, c.first)) << c.why;
    EXPECT_FALSE(PageEntryBefore(c.first, c.first)) << c.why;
  }
}

// ----- The list and the page -----

class ContentsPageTest : public PagesTest {
 protected:
  ContentsPageTest() {
    m_settings.title = "Sea & Sky";
    m_settings.contentsMode = 3;
    m_settings.backgroundColor = 0x0000FF;
    m_settings.boxColor = 0x00FF00;
    m_settings.textColor = 0xFF0000;
    std::vector<EBookFile> files = {
        Listed(PageFile("c.html", "Ten", "ten's page", "", "10")),
        Listed(PageFile("b.html", "Two", "", "", "2")),
        PageFile("hidden.html", "Hidden", "", "", "0"),
        Listed(PageFile("a.html", "A & B", "plain", "", "")),
        Listed(PageFile("d.html", "", "untitled", "", "")),
    };
    LoadBook(m_settings, files);
  }

  static EBookFile Listed(EBookFile file) {
    file.inContents = true;
    return file;
  }

  std::string Link(const std::string& name, const std::string& title) {
    // The fixture's folder and names need no escaping, so the link is the plain path.
    return "<LI><B><A HREF=\"" + context.store.BookFolder() + name + "\" TARGET=_top>" + title +
           "</A></B>";
  }

  std::string Page(const std::string& body) {
    return PageHeader("Sea & Sky", 0x0000FF, 0, 0, -2) +
           PageSection("Table Of Contents", body, 0x00FF00, 0xFF0000) + PageFooter();
  }

  EBookSettings m_settings = DefaultSettings();
};

TEST_F(ContentsPageTest, ListsMarkedPagesInDirectoryOrderWithProgress) {
  std::vector<PageEntry> list;
  EXPECT_TRUE(BuildContentsList(context, &list, kContentsLimit));
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].title, "Ten");
  EXPECT_EQ(list[0].sortKey, "10");
  EXPECT_EQ(list[0].path, context.store.BookFolder() + "c.html");
  EXPECT_EQ(list[2].title, "A & B");
  EXPECT_EQ(list[3].score, 0);
  std::vector<std::string> calls = m_window.TakeCalls();
  EXPECT_EQ(
      calls,
      (std::vector<std::string>{
          "SetStatusText:Preparing Contents List", "BeginWaitCursor",
          "ShowProgress:Preparing Contents List,16", "ShowProgress:Preparing Contents List,33",
          "ShowProgress:Preparing Contents List,66", "ShowProgress:Preparing Contents List,83",
          "HideProgress", "SetStatusText:Ready", "EndWaitCursor"}));
}

TEST_F(ContentsPageTest, StopsAtTheLimitCountingEarlierEntries) {
  std::vector<PageEntry> list(1);
  BuildContentsList(context, &list, 3);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].title, "Two");
}

TEST_F(ContentsPageTest, PageListsSortedEntriesWithDescriptions) {
  std::string path = BuildContentsPage(context);
  EXPECT_EQ(path, context.store.BookFolder() + "__jump.html");
  std::string body = "<UL COMPACT>" + Link("c.html", "Ten") + "<BR>ten's page" +
                     Link("b.html", "Two") + Link("a.html", "A &amp; B") + "<BR>plain" +
                     Link("d.html", "") + "<BR>untitled" + "</UL>";
  EXPECT_EQ(ReadWholeFile(path), Page(body));
}

TEST_F(ContentsPageTest, DescriptionsCanBeSwitchedOff) {
  m_settings.contentsShowDescriptions = 0;
  LoadBook(m_settings, context.book.Files());
  std::string body = "<UL COMPACT>" + Link("c.html", "Ten") + Link("b.html", "Two") +
                     Link("a.html", "A &amp; B") + Link("d.html", "") + "</UL>";
  EXPECT_EQ(ReadWholeFile(BuildContentsPage(context)), Page(body));
}

TEST_F(ContentsPageTest, LinksEscapeWhatWouldBreakTheAddressAndNothingElse) {
  LoadBook(m_settings, {Listed(PageFile("a \"b\"#1%.html", "Odd <1>", "", "", "1")),
                        Listed(PageFile("caf\xC3\xA9&?.html", "Caf\xC3\xA9", "", "", "2"))});
  std::string body = "<UL COMPACT>" + std::string("<LI><B><A HREF=\"file://") +
                     context.store.BookFolder() +
                     "a%20%22b%22%231%25.html\" TARGET=_top>Odd &lt;1&gt;</A></B>" +
                     "<LI><B><A HREF=\"file://" + context.store.BookFolder() +
                     "caf%C3%A9%26%3F.html\" TARGET=_top>Caf\xC3\xA9</A></B>" + "</UL>";
  EXPECT_EQ(ReadWholeFile(BuildContentsPage(context)), Page(body));
}

// Pages in folders link to their paths; each part is escaped on its own and the '/'
// between parts stays, so a plain path stays a plain path.
TEST_F(ContentsPageTest, PagesInFoldersLinkToTheirPathsPartByPart) {
  LoadBook(m_settings, {Listed(PageFile("guide/intro.html", "Intro", "", "", "1")),
                        Listed(PageFile("caf\xC3\xA9 #2/a&b/100%.html", "Odd", "", "", "2"))});
  std::string body = "<UL COMPACT>" + Link("guide/intro.html", "Intro") +
                     "<LI><B><A HREF=\"file://" + context.store.BookFolder() +
                     "caf%C3%A9%20%232/a%26b/100%25.html\" TARGET=_top>Odd</A></B>" + "</UL>";
  EXPECT_EQ(ReadWholeFile(BuildContentsPage(context)), Page(body));
}

TEST_F(ContentsPageTest, NoMarkedPageGivesAnEmptySection) {
  LoadBook(m_settings, {PageFile("x.html", "X")});
  EXPECT_EQ(ReadWholeFile(BuildContentsPage(context)), Page(""));
}

TEST_F(ContentsPageTest, ModeOneStillBuildsThePage) {
  m_settings.contentsMode = 1;
  LoadBook(m_settings, context.book.Files());
  EXPECT_EQ(BuildContentsPage(context), context.store.BookFolder() + "__jump.html");
  EXPECT_TRUE(PathExists(context.store.BookFolder() + "__jump.html"));
}

TEST_F(ContentsPageTest, ModeTwoReturnsTheBooksOwnPageAndBuildsNothing) {
  m_settings.contentsMode = 2;
  m_settings.contentsPageName = "toc.html";
  LoadBook(m_settings, context.book.Files());
  EXPECT_EQ(BuildContentsPage(context), context.store.BookFolder() + "toc.html");
  EXPECT_FALSE(PathExists(context.store.BookFolder() + "__jump.html"));
  EXPECT_TRUE(m_window.TakeCalls().empty());
}

TEST_F(ContentsPageTest, SettingsCountLargerThanTheDirectoryIsHarmless) {
  EBookSettings settings = m_settings;
  std::vector<EBookFile> files = {Listed(PageFile("only.html", "Only"))};
  settings.fileCount = 40;
  context.book.SetRecords(settings, files, {});
  std::vector<PageEntry> list;
  BuildContentsList(context, &list, kContentsLimit);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].title, "Only");
}

}  // namespace
}  // namespace quire::testing
