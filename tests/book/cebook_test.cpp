#include "book/cebook.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire {
namespace {

TEST(CEBookTest, EveryAccessorGivesItsDefaultBeforeALoad) {
  ReaderContext context;
  CEBook& b = context.book;
  EXPECT_FALSE(b.HasSettings());
  for (const std::string& text :
       {b.Esbn(), b.Title(), b.Author(), b.AuthorEmail(), b.AuthorUrl(), b.Publisher(),
        b.Copyright(), b.StartupMessage(), b.AboutPageName(), b.ContentsPageName(),
        b.ReferralCode(), b.StartupScript(), b.ExitScript(), b.StartPage()}) {
    EXPECT_EQ(text, "");
  }
  EXPECT_FALSE(b.OpenLinksOutside());
  EXPECT_EQ(b.WindowWidthCode(), -2);
  EXPECT_EQ(b.WindowHeight(), -2);
  EXPECT_EQ(b.WindowPositionCode(), 0);
  EXPECT_EQ(b.HoverColor(), -2);
  for (int32_t color :
       {b.BackgroundColor(), b.TextColor(), b.BoxColor(), b.LinkColor(), b.VisitedLinkColor()}) {
    EXPECT_EQ(color, 0);
  }
  for (bool flag : {b.SearchShowPercent(), b.SearchShowDescriptions(), b.ContentsShowDescriptions(),
                    b.SizeableFrame(), b.MinimizeBox(), b.MaximizeBox(), b.AlwaysOnTop(),
                    b.MenuBar(), b.Toolbar(), b.ToolbarToggle(), b.ToolbarButtonTexts(),
                    b.ContentsPopup(), b.StatusBar(), b.StatusBarToggle(), b.PopupMenu()}) {
    EXPECT_TRUE(flag);
  }
  for (int i = 0; i < kToolbarButtonCount; ++i)
    EXPECT_TRUE(b.ToolbarButton(i)) << i;
  EXPECT_FALSE(b.ToolbarButton(-1));
  EXPECT_FALSE(b.ToolbarButton(kToolbarButtonCount));
  EXPECT_EQ(b.ToolbarStyle(), 0);
  EXPECT_EQ(b.ShortcutOffer(), 0);
  EXPECT_EQ(b.AboutMode(), 1);
  EXPECT_EQ(b.ContentsMode(), 1);
  for (int32_t n : {b.CompileDay(), b.CompileMonth(), b.CompileYear(), b.CompileHour(),
                    b.CompileMinute(), b.CompileSecond(), b.FileCount()}) {
    EXPECT_EQ(n, 0);
  }
  EXPECT_FALSE(b.AnySearchable());
  EXPECT_FALSE(b.ContentsAvailable());
}

TEST(CEBookTest, ResetGivesAnEmptyRecordNotTheDefaults) {
  ReaderContext context;
  CEBook& b = context.book;
  b.Reset();
  EXPECT_TRUE(b.HasSettings());
  EXPECT_EQ(b.WindowWidthCode(), 0);
  EXPECT_EQ(b.AboutMode(), 0);
  EXPECT_FALSE(b.MenuBar());
}

TEST(CEBookTest, ContentsAvailableNeedsAModeOtherThanOneAndAListedFile) {
  ReaderContext context;
  struct Case {
    int32_t contentsMode;
    bool fileInContents;
    bool available;
  };
  for (const Case& c :
       {Case{1, true, false}, Case{2, true, true}, Case{3, true, true}, Case{3, false, false}}) {
    EBookSettings settings = DefaultSettings();
    settings.contentsMode = c.contentsMode;
    EBookFile file;
    file.inContents = c.fileInContents;
    file.searchable = true;
    context.book.SetRecords(settings, {file}, {});
    EXPECT_EQ(context.book.ContentsAvailable(), c.available) << c.contentsMode;
    EXPECT_EQ(context.book.AnyInContents(), c.fileInContents);
    EXPECT_TRUE(context.book.AnySearchable());
  }
}

// Names in stored order, and which one becomes the start page (index into the list, or
// -1 for none).
TEST(StartPageRuleTest, IndexHtmlWinsWhereverItStands) {
  const struct {
    std::vector<std::string> names;
    int start;
  } cases[] = {
      {{"a.html", "index.html", "b.html"}, 1},
      {{"index.htm", "index.html"}, 1},
      {{"index.html", "index.htm"}, 0},
      {{"INDEX.HTM", "Index.Html"}, 1},
      {{"Index.Html", "index.htm"}, 0},
      {{"INDEX.HTM"}, 0},
      {{"index.htm", "x", "index.htm"}, 0},
      {{"index.html", "x", "INDEX.HTML"}, 2},
      {{"index.htmlx", "myindex.html", "index.ht"}, -1},
      {{}, -1},
  };
  for (const auto& c : cases) {
    std::string startPage;
    for (size_t i = 0; i < c.names.size(); ++i) {
      ChooseStartPage(c.names[i], "/book/" + std::to_string(i) + "/" + c.names[i], &startPage);
    }
    const std::string expected =
        c.start < 0 ? "" : "/book/" + std::to_string(c.start) + "/" + c.names[c.start];
    EXPECT_EQ(startPage, expected) << ::testing::PrintToString(c.names);
  }
}

}  // namespace
}  // namespace quire
