#include "session/frame_commands.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace quire::testing {
namespace {

// One line per menu entry: "Menu|text|accelerator label|separator before".
std::vector<std::string> MenuLines() {
  std::vector<std::string> lines;
  for (const FrameCommand& c : FrameCommands()) {
    if (c.menu == MenuName::kNone)
      continue;
    lines.push_back(std::to_string(static_cast<int>(c.menu)) + "|" + c.menuText + "|" +
                    c.acceleratorLabel + "|" + (c.separatorBefore ? "sep" : ""));
  }
  return lines;
}

TEST(FrameCommandsTest, MenusListTheirItemsInOrder) {
  EXPECT_EQ(MenuLines(), (std::vector<std::string>{
                             "1|&Print...|Ctrl+P|",
                             "1|P&rint Setup...||",
                             "1|E&xit||sep",
                             "2|&Copy|Ctrl+C|",
                             "2|Select &All|Ctrl+A|sep",
                             "2|&Find (on this page)...|Ctrl+F|sep",
                             "3|&Toolbar||",
                             "3|&Status Bar||",
                             "4|Lar&gest||",
                             "4|&Larger||",
                             "4|&Medium||",
                             "4|&Smaller||",
                             "4|Sm&allest||",
                             "3|Sto&p|Esc|sep",
                             "3|&Refresh|F5|",
                             "5|&Back|Alt+Left Arrow|",
                             "5|&Forward|Alt+Right Arrow|",
                             "5|&Home|Ctrl+H|sep",
                             "5|&Search this E-Book...|Ctrl+S|",
                             "5|&Table Of Contents|Ctrl+T|",
                             "6|&About||",
                         }));
  std::vector<std::string> titles;
  for (const MenuTitle& title : MenuTitles())
    titles.push_back(title.text);
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&View", "&Go", "&Help"}));
  EXPECT_STREQ(kFontsMenuText, "Fo&nts");
}

TEST(FrameCommandsTest, AcceleratorTableHoldsTheKeysOnly) {
  const struct {
    int id;
    std::vector<std::string> keys;
  } cases[] = {
      {kCmdPrint, {"<Control>p"}},
      {kCmdCopy, {"<Control>c", "<Control>Insert"}},
      {kCmdSelectAll, {"<Control>a"}},
      {kCmdFind, {"<Control>f"}},
      {kCmdStop, {"Escape"}},
      {kCmdRefresh, {"F5"}},
      {kCmdBack, {}},
      {kCmdForward, {}},
      {kCmdHome, {"<Control>h"}},
      {kCmdSearch, {"<Control>s"}},
      {kCmdContents, {"<Control>t"}},
      {kCmdAbout, {"<Control>i"}},
      {kCmdNextPane, {"F6"}},
      {kCmdPreviousPane, {"<Shift>F6"}},
      {kCmdPrintSetup, {}},
      {kCmdToolbar, {}},
  };
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.id);
    ASSERT_NE(command, nullptr) << c.id;
    std::vector<std::string> keys(command->keys.begin(), command->keys.end());
    EXPECT_EQ(keys, c.keys) << c.id;
  }
  EXPECT_EQ(FindFrameCommand(12345), nullptr);
}

TEST(FrameCommandsTest, ToolbarButtonsByPositionWithTheirFlagsAndWords) {
  const struct {
    int id;
    int flag;
    const char* word;
  } expected[] = {
      {kCmdBack, 0, "Back"},
      {kCmdForward, 1, "Forward"},
      {kCmdStop, 2, "Stop"},
      {kCmdRefresh, 3, "Refresh"},
      {kCmdHome, 4, "Home"},
      {kCmdSearch, 5, "Search"},
      {kCmdContentsMenu, 6, "Contents"},
      {kCmdCopy, 7, "Copy"},
      {kCmdFind, 8, "Find"},
      {kCmdFontMenu, 9, "Size"},
      {kCmdPrint, 10, "Print"},
      {kCmdAbout, 12, "About"},
  };
  std::vector<const FrameCommand*> buttons = ToolbarCommands();
  ASSERT_EQ(buttons.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    ASSERT_NE(buttons[i], nullptr) << i;
    EXPECT_EQ(buttons[i]->id, expected[i].id) << i;
    EXPECT_EQ(buttons[i]->toolbarFlag, expected[i].flag) << i;
    EXPECT_EQ(PromptTooltip(buttons[i]->prompt), expected[i].word) << i;
    EXPECT_STRNE(buttons[i]->iconName, "") << i;
  }
}

TEST(FrameCommandsTest, ShowFlagsRemoveButtonsAndFlagElevenIsNeverAsked) {
  std::vector<int> asked;
  auto visible = VisibleToolbarCommands([&](int flag) {
    asked.push_back(flag);
    return flag % 2 == 0;
  });
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}));
  std::vector<int> ids;
  for (const FrameCommand* command : visible)
    ids.push_back(command->id);
  EXPECT_EQ(ids, (std::vector<int>{kCmdBack, kCmdStop, kCmdHome, kCmdContentsMenu, kCmdFind,
                                   kCmdPrint, kCmdAbout}));
  EXPECT_TRUE(VisibleToolbarCommands([](int) { return false; }).empty());
  EXPECT_EQ(VisibleToolbarCommands([](int flag) { return flag == 11; }).size(), 0u);
}

TEST(FrameCommandsTest, ToolbarStylesPlaceTheBar) {
  const struct {
    int32_t style;
    BarEdge edge;
    bool vertical;
  } cases[] = {
      {0, BarEdge::kTop, false},    {1, BarEdge::kLeft, true}, {2, BarEdge::kRight, true},
      {3, BarEdge::kBottom, false}, {4, BarEdge::kTop, false}, {-1, BarEdge::kTop, false},
  };
  for (const auto& c : cases) {
    ToolbarPlacement placement = ToolbarPlacementFor(c.style);
    EXPECT_EQ(placement.edge, c.edge) << c.style;
    EXPECT_EQ(placement.vertical, c.vertical) << c.style;
  }
}

TEST(FrameCommandsTest, PromptsSplitIntoStatusTextAndTooltip) {
  EXPECT_EQ(PromptStatusText("Goes back one step\nBack"), "Goes back one step");
  EXPECT_EQ(PromptTooltip("Goes back one step\nBack"), "Back");
  EXPECT_EQ(PromptStatusText("a\nb\nc"), "a");
  EXPECT_EQ(PromptTooltip("a\nb\nc"), "c");
  EXPECT_EQ(PromptStatusText(""), "");
  EXPECT_EQ(PromptTooltip("only"), "only");
  for (const FrameCommand& c : FrameCommands()) {
    if (*c.prompt != '\0') {
      EXPECT_NE(std::string(c.prompt).find('\n'), std::string::npos) << c.id;
    }
  }
}

TEST(FrameCommandsTest, EveryCommandCarriesItsPrompt) {
  const struct {
    int id;
    const char* prompt;
  } cases[] = {
      {kCmdPrint, "Print the active document\nPrint"},
      {kCmdPrintSetup, "Change the printer and printing options\nPrint Setup"},
      {kCmdExit, "Quit the application\nExit"},
      {kCmdCopy, "Copy the selection and put it on the Clipboard\nCopy"},
      {kCmdSelectAll, "Select all the text\nSelect All"},
      {kCmdFind, "Searches the current window for text\nFind"},
      {kCmdToolbar, ""},
      {kCmdStatusBar, "Show or hide the status bar\nToggle StatusBar"},
      {kCmdFontLargest, "Selects the largest font size\nLargest"},
      {kCmdFontLarger, "Selects the large font size\nLarger"},
      {kCmdFontMedium, "Selects the medium font size\nMedium"},
      {kCmdFontSmaller, "Selects the small font size\nSmaller"},
      {kCmdFontSmallest, "Selects the smallest font size\nSmallest"},
      {kCmdStop, "Stops loading the current page\nStop"},
      {kCmdRefresh, "Refreshes the contents of the current page\nRefresh"},
      {kCmdBack, "Goes back one step\nBack"},
      {kCmdForward, "Goes forward one step\nForward"},
      {kCmdHome, "Opens the start page\nHome"},
      {kCmdSearch, "Searches this E-Book\nSearch"},
      {kCmdContents, "Displays the table of contents\nContents"},
      {kCmdAbout, "Display information about this E-Book\nAbout"},
      {kCmdContentsMenu, "Displays the table of contents\nContents"},
      {kCmdFontMenu, "Changes the font size\nSize"},
      {kCmdFrameworkFind, "Searches the current window for text\nFind"},
      {kCmdNextPane, ""},
      {kCmdPreviousPane, ""},
  };
  ASSERT_EQ(FrameCommands().size(), std::size(cases));
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.id);
    ASSERT_NE(command, nullptr) << c.id;
    EXPECT_STREQ(command->prompt, c.prompt) << c.id;
  }
}

TEST(FrameCommandsTest, MnemonicsBecomeGtkMnemonics) {
  const struct {
    const char* text;
    const char* gtk;
  } cases[] = {
      {"&Print...", "_Print..."},    {"Sm&allest", "Sm_allest"},   {"A && B", "A & B"},
      {"snake_case", "snake__case"}, {"trailing &", "trailing _"}, {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MnemonicToGtk(c.text), c.gtk) << c.text;
}

TEST(FrameCommandsTest, FontCommandsMapToZoomLevels) {
  EXPECT_EQ(FontLevelOfCommand(kCmdFontLargest), 4);
  EXPECT_EQ(FontLevelOfCommand(kCmdFontLarger), 3);
  EXPECT_EQ(FontLevelOfCommand(kCmdFontMedium), 2);
  EXPECT_EQ(FontLevelOfCommand(kCmdFontSmaller), 1);
  EXPECT_EQ(FontLevelOfCommand(kCmdFontSmallest), 0);
  EXPECT_EQ(FontLevelOfCommand(kCmdHome), -1);
  for (int level = 0; level <= 4; ++level)
    EXPECT_EQ(FontLevelOfCommand(FontCommandOfLevel(level)), level);
  EXPECT_EQ(FontCommandOfLevel(7), kCmdFontMedium);
  EXPECT_EQ(FontCommandOfLevel(-1), kCmdFontMedium);
}

}  // namespace
}  // namespace quire::testing
