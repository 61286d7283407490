#include "session/frame_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "command_contexts.h"

namespace quire::testing {
namespace {

// One line per menu entry: "Menu|text|accelerator label|separator before|status text".
std::vector<std::string> MenuLines() {
  std::vector<std::string> lines;
  for (const FrameCommand& c : FrameCommands()) {
    if (c.menu == MenuName::kNone)
      continue;
    lines.push_back(std::to_string(static_cast<int>(c.menu)) + "|" + c.menuText + "|" +
                    c.acceleratorLabel + "|" + (c.separatorBefore ? "sep" : "") + "|" +
                    PromptStatusText(c.prompt));
  }
  return lines;
}

// What the menus show: items in order, their keys and their status-bar texts.
TEST(FrameCommandsTest, MenusListTheirItemsInOrder) {
  EXPECT_EQ(MenuLines(), (std::vector<std::string>{
                             "1|&Print...|Ctrl+P||Print the active document",
                             "1|P&rint Setup...|||Change the printer and printing options",
                             "1|E&xit||sep|Quit the application",
                             "2|&Copy|Ctrl+C||Copy the selection and put it on the Clipboard",
                             "2|Select &All|Ctrl+A|sep|Select all the text",
                             "2|&Find (on this page)...|Ctrl+F|sep|Searches the current window "
                             "for text",
                             "3|&Toolbar|||",
                             "3|&Status Bar|||Show or hide the status bar",
                             "4|Lar&gest|||Selects the largest font size",
                             "4|&Larger|||Selects the large font size",
                             "4|&Medium|||Selects the medium font size",
                             "4|&Smaller|||Selects the small font size",
                             "4|Sm&allest|||Selects the smallest font size",
                             "3|Sto&p|Esc|sep|Stops loading the current page",
                             "3|&Refresh|F5||Refreshes the contents of the current page",
                             "5|&Back|Alt+Left Arrow||Goes back one step",
                             "5|&Forward|Alt+Right Arrow||Goes forward one step",
                             "5|&Home|Ctrl+H|sep|Opens the start page",
                             "5|&Search this E-Book...|Ctrl+S||Searches this E-Book",
                             "5|&Table Of Contents|Ctrl+T||Displays the table of contents",
                             "6|&About|||Display information about this E-Book",
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

// A key as GTK's accelerator parser reads it: modifiers in angle brackets, then one key
// name (a lower-case letter, a digit or a key symbol name such as "F5" or "KP_Add").
bool IsAcceleratorSyntax(std::string_view key) {
  static constexpr std::string_view kModifiers[] = {"<Control>", "<Alt>", "<Shift>", "<Super>"};
  for (bool more = true; more;) {
    more = false;
    for (std::string_view modifier : kModifiers) {
      if (key.starts_with(modifier)) {
        key.remove_prefix(modifier.size());
        more = true;
      }
    }
  }
  if (key.empty())
    return false;
  if (key.size() == 1)
    return (key[0] >= 'a' && key[0] <= 'z') || (key[0] >= '0' && key[0] <= '9');
  if (!((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= 'a' && key[0] <= 'z')))
    return false;
  for (char ch : key) {
    if (!((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
          ch == '_'))
      return false;
  }
  return true;
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

// The operations of the target as RecordingTarget records them; a new operation joins both.
std::set<std::string> AllOperations() {
  return {"PrintPage",        "CopySelection", "SelectAllText",   "FindOnPage",
          "SetFontSize",      "StopLoading",   "RefreshPage",     "GoBack",
          "GoForward",        "GoHome",        "ShowSearch",      "ShowContents",
          "ShowContentsMenu", "ShowFontMenu",  "ShowAbout",       "PrintSetup",
          "CloseBook",        "ToggleToolbar", "ToggleStatusBar", "FocusNextPane",
          "FocusPreviousPane"};
}

// The operation a call names, without its argument.
std::string OperationOf(const std::string& call) {
  return call.substr(0, call.find(' '));
}

// What the command does where its rule enables it: one call of the target.
std::vector<std::string> CallsOfEnabled(const FrameCommand& command) {
  for (const CommandContext& context : SampleContexts()) {
    if (!command.state(context).enabled)
      continue;
    RecordingTarget target;
    EXPECT_TRUE(RunFrameCommand(command, target, context)) << command.name;
    return target.calls;
  }
  ADD_FAILURE() << command.name << " is enabled nowhere";
  return {};
}

TEST(FrameCommandsTest, EveryCommandRunsOneOperationAndOnlyWhileEnabled) {
  std::set<std::string> used;
  for (const FrameCommand& command : FrameCommands()) {
    ASSERT_NE(command.run, nullptr) << command.name;
    const std::vector<std::string> calls = CallsOfEnabled(command);
    ASSERT_EQ(calls.size(), 1u) << command.name;
    EXPECT_TRUE(AllOperations().count(OperationOf(calls[0]))) << calls[0];
    used.insert(OperationOf(calls[0]));
    for (const CommandContext& context : SampleContexts()) {
      if (command.state(context).enabled)
        continue;
      RecordingTarget target;
      EXPECT_FALSE(RunFrameCommand(command, target, context)) << command.name;
      EXPECT_TRUE(target.calls.empty()) << command.name;
    }
  }
  // An operation no command runs is dead code in every window.
  EXPECT_EQ(used, AllOperations());
}

// The commands that are run by name from outside the table, by book scripts (BACK,
// PRINT, FONT(n), ...) and by the mouse's back and forward buttons, do what their names
// promise.
TEST(FrameCommandsTest, CommandsRunByNameDoWhatTheNameSays) {
  const struct {
    const char* name;
    const char* call;
  } cases[] = {
      {"back", "GoBack"},
      {"forward", "GoForward"},
      {"home", "GoHome"},
      {"refresh", "RefreshPage"},
      {"stop", "StopLoading"},
      {"print", "PrintPage"},
      {"print-setup", "PrintSetup"},
      {"copy", "CopySelection"},
      {"select-all", "SelectAllText"},
      {"exit", "CloseBook"},
  };
  for (const auto& c : cases) {
    const FrameCommand* command = FindFrameCommand(c.name);
    ASSERT_NE(command, nullptr) << c.name;
    EXPECT_EQ(CallsOfEnabled(*command), std::vector<std::string>{c.call}) << c.name;
  }
}

TEST(FrameCommandsTest, EveryFontCommandChoosesItsOwnSize) {
  int fontCommands = 0;
  for (const FrameCommand& command : FrameCommands()) {
    const int level = FontLevelOfCommand(command.id);
    if (level < 0)
      continue;
    ++fontCommands;
    EXPECT_EQ(CallsOfEnabled(command),
              std::vector<std::string>{"SetFontSize " + std::to_string(level)})
        << command.name;
  }
  EXPECT_EQ(fontCommands, 5);
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

// What the toolbar shows: buttons in order, the book's flag of each, its word (tooltip and
// text) and its status-bar text.
TEST(FrameCommandsTest, ToolbarButtonsByPositionWithTheirFlagsAndWords) {
  const struct {
    int id;
    int flag;
    const char* word;
    const char* status;
  } expected[] = {
      {kCmdBack, 0, "Back", "Goes back one step"},
      {kCmdForward, 1, "Forward", "Goes forward one step"},
      {kCmdStop, 2, "Stop", "Stops loading the current page"},
      {kCmdRefresh, 3, "Refresh", "Refreshes the contents of the current page"},
      {kCmdHome, 4, "Home", "Opens the start page"},
      {kCmdSearch, 5, "Search", "Searches this E-Book"},
      {kCmdContentsMenu, 6, "Contents", "Displays the table of contents"},
      {kCmdCopy, 7, "Copy", "Copy the selection and put it on the Clipboard"},
      {kCmdFind, 8, "Find", "Searches the current window for text"},
      {kCmdFontMenu, 9, "Size", "Changes the font size"},
      {kCmdPrint, 10, "Print", "Print the active document"},
      {kCmdAbout, 12, "About", "Display information about this E-Book"},
  };
  std::vector<const FrameCommand*> buttons = ToolbarCommands();
  ASSERT_EQ(buttons.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    ASSERT_NE(buttons[i], nullptr) << i;
    EXPECT_EQ(buttons[i]->id, expected[i].id) << i;
    EXPECT_EQ(buttons[i]->toolbarFlag, expected[i].flag) << i;
    EXPECT_EQ(PromptTooltip(buttons[i]->prompt), expected[i].word) << i;
    EXPECT_EQ(PromptStatusText(buttons[i]->prompt), expected[i].status) << i;
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

// A prompt is shown by a menu item or a toolbar button, so only their commands carry one,
// and every button has one for its tooltip and text.
TEST(FrameCommandsTest, PromptsBelongToWhatIsListed) {
  for (const FrameCommand& command : FrameCommands()) {
    const bool listed = command.menu != MenuName::kNone || command.toolbarPosition >= 0;
    const std::string prompt = command.prompt;
    if (!listed) {
      EXPECT_EQ(prompt, "") << command.name;
      continue;
    }
    EXPECT_NE(command.id, 0) << command.name << " is listed without a command number";
    if (command.toolbarPosition >= 0) {
      EXPECT_NE(prompt, "") << command.name;
      EXPECT_STRNE(command.iconName, "") << command.name;
    }
    if (!prompt.empty()) {
      EXPECT_NE(PromptStatusText(prompt), "") << command.name;
      EXPECT_NE(PromptTooltip(prompt), "") << command.name;
      EXPECT_NE(PromptStatusText(prompt), prompt) << command.name << " has no tooltip part";
    }
  }
}

// Names and numbers find exactly one command; keys belong to one command each and are
// written as GTK accelerators; buttons sit at distinct positions of the twelve.
TEST(FrameCommandsTest, NamesNumbersKeysAndButtonsAreUnique) {
  std::set<int> ids;
  std::set<std::string> keys;
  std::set<int> positions;
  std::set<int> flags;
  for (const FrameCommand& command : FrameCommands()) {
    EXPECT_EQ(FindFrameCommand(command.name), &command) << command.name;
    if (command.id != 0) {
      EXPECT_TRUE(ids.insert(command.id).second) << command.name;
      EXPECT_EQ(FindFrameCommand(command.id), &command) << command.name;
    }
    for (const char* key : command.keys) {
      EXPECT_TRUE(keys.insert(key).second) << key << " of " << command.name;
      EXPECT_TRUE(IsAcceleratorSyntax(key)) << key << " of " << command.name;
    }
    if (*command.acceleratorLabel != '\0') {
      EXPECT_NE(command.menu, MenuName::kNone) << command.name << " labels a key nowhere";
    }
    if (command.toolbarPosition < 0) {
      EXPECT_EQ(command.toolbarFlag, -1) << command.name;
      continue;
    }
    EXPECT_LT(command.toolbarPosition, 12) << command.name;
    EXPECT_TRUE(positions.insert(command.toolbarPosition).second) << command.name;
    EXPECT_TRUE(flags.insert(command.toolbarFlag).second) << command.name;
    EXPECT_TRUE(command.toolbarFlag >= 0 && command.toolbarFlag <= 12 && command.toolbarFlag != 11)
        << command.name;
  }
  EXPECT_EQ(positions.size(), 12u) << "a toolbar position is empty";
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
