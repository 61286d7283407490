#include "session/frame_commands.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
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
    const char* name;
    std::vector<std::string> keys;
  } cases[] = {
      {"print", {"<Control>p"}},
      {"copy", {"<Control>c", "<Control>Insert"}},
      {"select-all", {"<Control>a"}},
      {"find", {"<Control>f"}},
      {"stop", {"Escape"}},
      {"refresh", {"F5"}},
      // The keys the Go menu shows, and the keyboard's own back and forward keys.
      {"back", {"<Alt>Left", "Back"}},
      {"forward", {"<Alt>Right", "Forward"}},
      {"home", {"<Control>h"}},
      {"search", {"<Control>s"}},
      {"contents", {"<Control>t"}},
      {"about", {"<Control>i"}},
      {"next-pane", {"F6"}},
      {"previous-pane", {"<Shift>F6"}},
      {"print-setup", {}},
      {"toolbar", {}},
      {"status-bar", {}},
      {"exit", {"<Control>w", "<Control>q"}},
      {"font-grow", {"<Control>plus", "<Control>equal", "<Control>KP_Add"}},
      {"font-shrink", {"<Control>minus", "<Control>KP_Subtract"}},
      {"font-reset", {"<Control>0", "<Control>KP_0"}},
      {"font-medium", {}},
      {"contents-menu", {}},
      {"font-menu", {}},
  };
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.name);
    ASSERT_NE(command, nullptr) << c.name;
    std::vector<std::string> keys(command->keys.begin(), command->keys.end());
    EXPECT_EQ(keys, c.keys) << c.name;
  }
  EXPECT_EQ(FindFrameCommand(12345), nullptr);
  EXPECT_EQ(FindFrameCommand(0), nullptr);
  EXPECT_EQ(FindFrameCommand("Print"), nullptr);
  EXPECT_EQ(FindFrameCommand(""), nullptr);
  // No key belongs to two commands.
  std::set<std::string> seen;
  for (const FrameCommand& command : FrameCommands()) {
    for (const char* key : command.keys)
      EXPECT_TRUE(seen.insert(key).second) << key;
  }
}

TEST(FrameCommandsTest, EveryLabelNamesTheCommandsFirstKey) {
  for (const FrameCommand& command : FrameCommands()) {
    if (*command.acceleratorLabel == '\0')
      continue;
    ASSERT_FALSE(command.keys.empty()) << command.name;
    EXPECT_EQ(AcceleratorOfLabel(command.acceleratorLabel), command.keys.front()) << command.name;
  }
  const struct {
    const char* label;
    const char* accelerator;
  } cases[] = {
      {"Ctrl+P", "<Control>p"},
      {"Alt+Left Arrow", "<Alt>Left"},
      {"Alt+Right Arrow", "<Alt>Right"},
      {"Esc", "Escape"},
      {"F5", "F5"},
      {"Shift+F6", "<Shift>F6"},
      {"Ctrl+Shift+X", "<Control><Shift>x"},
      {"Ctrl+Ins", "<Control>Insert"},
      {"", ""},
      {"Ctrl+", "Ctrl+"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AcceleratorOfLabel(c.label), c.accelerator) << c.label;
}

// Records which operation a command called.
class RecordingTarget final : public FrameCommandTarget {
 public:
  std::vector<std::string> calls;

  void PrintPage() override { calls.push_back("PrintPage"); }
  void CopySelection() override { calls.push_back("CopySelection"); }
  void SelectAllText() override { calls.push_back("SelectAllText"); }
  void FindOnPage() override { calls.push_back("FindOnPage"); }
  void SetFontSize(int level) override { calls.push_back("SetFontSize " + std::to_string(level)); }
  void StopLoading() override { calls.push_back("StopLoading"); }
  void RefreshPage() override { calls.push_back("RefreshPage"); }
  void GoBack() override { calls.push_back("GoBack"); }
  void GoForward() override { calls.push_back("GoForward"); }
  void GoHome() override { calls.push_back("GoHome"); }
  void ShowSearch() override { calls.push_back("ShowSearch"); }
  void ShowContents() override { calls.push_back("ShowContents"); }
  void ShowContentsMenu() override { calls.push_back("ShowContentsMenu"); }
  void ShowFontMenu() override { calls.push_back("ShowFontMenu"); }
  void ShowAbout() override { calls.push_back("ShowAbout"); }
  void PrintSetup() override { calls.push_back("PrintSetup"); }
  void CloseBook() override { calls.push_back("CloseBook"); }
  void ToggleToolbar() override { calls.push_back("ToggleToolbar"); }
  void ToggleStatusBar() override { calls.push_back("ToggleStatusBar"); }
  void FocusNextPane() override { calls.push_back("FocusNextPane"); }
  void FocusPreviousPane() override { calls.push_back("FocusPreviousPane"); }
};

CommandContext EverythingEnabled() {
  CommandContext c;
  c.canGoBack = c.canGoForward = c.canCopy = c.canSelectAll = c.canRefresh = c.canStop = true;
  c.toolbarToggle = c.statusBarToggle = c.anySearchable = c.contentsAvailable = true;
  c.fontCommand = kCmdFontMedium;
  return c;
}

TEST(FrameCommandsTest, EveryCommandRunsItsOwnOperation) {
  const struct {
    const char* name;
    const char* call;
  } cases[] = {
      {"print", "PrintPage"},
      {"print-setup", "PrintSetup"},
      {"exit", "CloseBook"},
      {"copy", "CopySelection"},
      {"select-all", "SelectAllText"},
      {"find", "FindOnPage"},
      {"toolbar", "ToggleToolbar"},
      {"status-bar", "ToggleStatusBar"},
      {"font-largest", "SetFontSize 4"},
      {"font-larger", "SetFontSize 3"},
      {"font-medium", "SetFontSize 2"},
      {"font-smaller", "SetFontSize 1"},
      {"font-smallest", "SetFontSize 0"},
      {"stop", "StopLoading"},
      {"refresh", "RefreshPage"},
      {"back", "GoBack"},
      {"forward", "GoForward"},
      {"home", "GoHome"},
      {"search", "ShowSearch"},
      {"contents", "ShowContents"},
      {"about", "ShowAbout"},
      {"contents-menu", "ShowContentsMenu"},
      {"font-menu", "ShowFontMenu"},
      {"next-pane", "FocusNextPane"},
      {"previous-pane", "FocusPreviousPane"},
      {"font-grow", "SetFontSize 3"},
      {"font-shrink", "SetFontSize 1"},
      {"font-reset", "SetFontSize 2"},
  };
  ASSERT_EQ(FrameCommands().size(), std::size(cases));
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.name);
    ASSERT_NE(command, nullptr) << c.name;
    RecordingTarget target;
    EXPECT_TRUE(RunFrameCommand(*command, target, EverythingEnabled())) << c.name;
    EXPECT_EQ(target.calls, std::vector<std::string>{c.call}) << c.name;
  }
}

TEST(FrameCommandsTest, ADisabledCommandDoesNothing) {
  const char* const names[] = {"copy",   "select-all", "toolbar", "status-bar",
                               "stop",   "refresh",    "back",    "forward",
                               "search", "contents",   "about",   "contents-menu"};
  CommandContext nothing;
  nothing.aboutMode = 1;
  for (const char* name : names) {
    RecordingTarget target;
    EXPECT_FALSE(RunFrameCommand(*FindFrameCommand(name), target, nothing)) << name;
    EXPECT_TRUE(target.calls.empty()) << name;
  }
}

TEST(FrameCommandsTest, SizeKeysStepThroughTheFiveSizesAndStopAtTheEnds) {
  const struct {
    int chosen;  // font command chosen before, 0 for none yet
    const char* name;
    int level;
  } cases[] = {
      {kCmdFontMedium, "font-grow", 3},
      {kCmdFontLarger, "font-grow", 4},
      {kCmdFontLargest, "font-grow", 4},
      {kCmdFontMedium, "font-shrink", 1},
      {kCmdFontSmaller, "font-shrink", 0},
      {kCmdFontSmallest, "font-shrink", 0},
      {kCmdFontLargest, "font-reset", 2},
      {kCmdFontSmallest, "font-reset", 2},
      {0, "font-grow", 3},
      {0, "font-shrink", 1},
  };
  for (const auto& c : cases) {
    CommandContext context;
    context.fontCommand = c.chosen;
    RecordingTarget target;
    ASSERT_TRUE(RunFrameCommand(*FindFrameCommand(c.name), target, context));
    EXPECT_EQ(target.calls, std::vector<std::string>{"SetFontSize " + std::to_string(c.level)})
        << c.chosen << " " << c.name;
  }
}

TEST(FrameCommandsTest, NamesAreValidActionNamesAndUnique) {
  std::set<std::string> names;
  for (const FrameCommand& command : FrameCommands()) {
    const std::string name = command.name;
    EXPECT_TRUE(names.insert(name).second) << name;
    ASSERT_FALSE(name.empty());
    for (char ch : name)
      EXPECT_TRUE((ch >= 'a' && ch <= 'z') || ch == '-') << name;
    EXPECT_EQ(command.checkable, command.id == kCmdToolbar || command.id == kCmdStatusBar ||
                                     FontLevelOfCommand(command.id) >= 0)
        << name;
    EXPECT_NE(command.run, nullptr) << name;
  }
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
      EXPECT_NE(std::string(c.prompt).find('\n'), std::string::npos) << c.name;
    }
  }
}

TEST(FrameCommandsTest, EveryCommandCarriesItsPrompt) {
  const struct {
    const char* name;
    int id;
    const char* prompt;
  } cases[] = {
      {"print", kCmdPrint, "Print the active document\nPrint"},
      {"print-setup", kCmdPrintSetup, "Change the printer and printing options\nPrint Setup"},
      {"exit", kCmdExit, "Quit the application\nExit"},
      {"copy", kCmdCopy, "Copy the selection and put it on the Clipboard\nCopy"},
      {"select-all", kCmdSelectAll, "Select all the text\nSelect All"},
      {"find", kCmdFind, "Searches the current window for text\nFind"},
      {"toolbar", kCmdToolbar, ""},
      {"status-bar", kCmdStatusBar, "Show or hide the status bar\nToggle StatusBar"},
      {"font-largest", kCmdFontLargest, "Selects the largest font size\nLargest"},
      {"font-larger", kCmdFontLarger, "Selects the large font size\nLarger"},
      {"font-medium", kCmdFontMedium, "Selects the medium font size\nMedium"},
      {"font-smaller", kCmdFontSmaller, "Selects the small font size\nSmaller"},
      {"font-smallest", kCmdFontSmallest, "Selects the smallest font size\nSmallest"},
      {"stop", kCmdStop, "Stops loading the current page\nStop"},
      {"refresh", kCmdRefresh, "Refreshes the contents of the current page\nRefresh"},
      {"back", kCmdBack, "Goes back one step\nBack"},
      {"forward", kCmdForward, "Goes forward one step\nForward"},
      {"home", kCmdHome, "Opens the start page\nHome"},
      {"search", kCmdSearch, "Searches this E-Book\nSearch"},
      {"contents", kCmdContents, "Displays the table of contents\nContents"},
      {"about", kCmdAbout, "Display information about this E-Book\nAbout"},
      {"contents-menu", kCmdContentsMenu, "Displays the table of contents\nContents"},
      {"font-menu", kCmdFontMenu, "Changes the font size\nSize"},
      {"next-pane", kCmdNextPane, ""},
      {"previous-pane", kCmdPreviousPane, ""},
      {"font-grow", 0, ""},
      {"font-shrink", 0, ""},
      {"font-reset", 0, ""},
  };
  ASSERT_EQ(FrameCommands().size(), std::size(cases));
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.name);
    ASSERT_NE(command, nullptr) << c.name;
    EXPECT_EQ(command->id, c.id) << c.name;
    EXPECT_STREQ(command->prompt, c.prompt) << c.name;
    if (c.id != 0) {
      EXPECT_EQ(FindFrameCommand(c.id), command) << c.id;
    }
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
