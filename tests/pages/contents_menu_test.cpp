#include "pages/contents_menu.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "pages/pages_fixture.h"

namespace quire::testing {
namespace {

class ContentsMenuTest : public PagesTest {
 protected:
  static EBookFile InContents(std::string name, std::string title, std::string sortKey = "") {
    EBookFile file = PageFile(std::move(name), std::move(title), "", "", std::move(sortKey));
    file.inContents = true;
    return file;
  }

  static std::vector<std::string> Texts(const std::vector<ContentsMenuItem>& items) {
    std::vector<std::string> texts;
    for (const ContentsMenuItem& item : items)
      texts.push_back(item.IsSeparator() ? "-" : item.text);
    return texts;
  }
};

TEST_F(ContentsMenuTest, ListsTheFirstTwentyMarkedPagesSortedThenTheContentsPage) {
  // 25 marked pages whose titles run backwards, with an unmarked page among them: the
  // drop-down takes the first 20 marked ones in directory order and sorts only those.
  std::vector<EBookFile> files;
  for (int i = 0; i < 25; ++i) {
    char title[16];
    std::snprintf(title, sizeof title, "Page %02d", 24 - i);
    files.push_back(InContents("p" + std::to_string(i) + ".html", title));
    if (i == 3)
      files.push_back(PageFile("hidden.html", "Aardvark"));
  }
  LoadBook(DefaultSettings(), files);

  const std::vector<ContentsMenuItem> items = BuildContentsMenu(context);
  ASSERT_EQ(items.size(), 22u);
  for (int i = 0; i < 20; ++i) {
    char title[16];
    std::snprintf(title, sizeof title, "Page %02d", 5 + i);
    EXPECT_EQ(items[i].text, title) << i;
    EXPECT_EQ(items[i].id, 1000 + i);
    EXPECT_EQ(items[i].path, context.store.BookFolder() + "p" + std::to_string(19 - i) + ".html");
  }
  EXPECT_TRUE(items[20].IsSeparator());
  EXPECT_EQ(items[21].id, 100);
  EXPECT_EQ(items[21].text, "&View As E-Book Page");
  EXPECT_EQ(items[21].path, "");
}

TEST_F(ContentsMenuTest, SortsBySortKeyThenTitleAndShowsAmpersandsLiterally) {
  LoadBook(DefaultSettings(),
           {InContents("a.html", "Fish & Chips", "2"), InContents("b.html", "R&D", "10"),
            InContents("c.html", "Zed"), InContents("d.html", "&&", "2")});
  EXPECT_EQ(Texts(BuildContentsMenu(context)),
            (std::vector<std::string>{"R&&D", "&&&&", "Fish && Chips", "Zed", "-",
                                      "&View As E-Book Page"}));
}

TEST_F(ContentsMenuTest, WithoutMarkedPagesOffersOnlyTheContentsPage) {
  LoadBook(DefaultSettings(), {PageFile("a.html", "A")});
  const std::vector<ContentsMenuItem> items = BuildContentsMenu(context);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].id, kContentsMenuViewAsPage);
}

TEST_F(ContentsMenuTest, ShowsTheContentsCaptionWhileCollecting) {
  LoadBook(DefaultSettings(), {InContents("a.html", "A")});
  m_window.TakeCalls();
  BuildContentsMenu(context);
  const std::vector<std::string> calls = m_window.TakeCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "SetStatusText:Preparing Contents List");
  EXPECT_EQ(calls[calls.size() - 2], "SetStatusText:Ready");
}

TEST(DoubleAmpersandsTest, DoublesEveryAmpersand) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"plain", "plain"}, {"a&b", "a&&b"}, {"&&", "&&&&"}, {"&", "&&"}, {"x&", "x&&"}};
  for (const auto& [in, out] : cases)
    EXPECT_EQ(DoubleAmpersands(in), out) << in;
}

}  // namespace
}  // namespace quire::testing
