#include "session/frame_commands.h"

namespace quire {

int FontLevelOfCommand(int id) {
  if (id < kCmdFontLargest || id > kCmdFontSmallest)
    return -1;
  return kCmdFontSmallest - id;
}

int FontCommandOfLevel(int level) {
  if (level < 0 || level > 4)
    return kCmdFontMedium;
  return kCmdFontSmallest - level;
}

const std::vector<MenuTitle>& MenuTitles() {
  static const std::vector<MenuTitle> kTitles = {
      {MenuName::kFile, "&File"}, {MenuName::kEdit, "&Edit"}, {MenuName::kView, "&View"},
      {MenuName::kGo, "&Go"},     {MenuName::kHelp, "&Help"},
  };
  return kTitles;
}

const std::vector<FrameCommand>& FrameCommands() {
  using M = MenuName;
  static const std::vector<FrameCommand> kCommands = {
      {kCmdPrint,
       M::kFile,
       "&Print...",
       false,
       "Ctrl+P",
       {"<Control>p"},
       "Print the active document\nPrint",
       10,
       10,
       "document-print"},
      {kCmdPrintSetup,
       M::kFile,
       "P&rint Setup...",
       false,
       "",
       {},
       "Change the printer and printing options\nPrint Setup",
       -1,
       -1,
       ""},
      {kCmdExit, M::kFile, "E&xit", true, "", {}, "Quit the application\nExit", -1, -1, ""},
      {kCmdCopy,
       M::kEdit,
       "&Copy",
       false,
       "Ctrl+C",
       {"<Control>c", "<Control>Insert"},
       "Copy the selection and put it on the Clipboard\nCopy",
       7,
       7,
       "edit-copy"},
      {kCmdSelectAll,
       M::kEdit,
       "Select &All",
       true,
       "Ctrl+A",
       {"<Control>a"},
       "Select all the text\nSelect All",
       -1,
       -1,
       ""},
      {kCmdFind,
       M::kEdit,
       "&Find (on this page)...",
       true,
       "Ctrl+F",
       {"<Control>f"},
       "Searches the current window for text\nFind",
       8,
       8,
       "edit-find"},
      {kCmdToolbar, M::kView, "&Toolbar", false, "", {}, "", -1, -1, ""},
      {kCmdStatusBar,
       M::kView,
       "&Status Bar",
       false,
       "",
       {},
       "Show or hide the status bar\nToggle StatusBar",
       -1,
       -1,
       ""},
      {kCmdFontLargest,
       M::kViewFonts,
       "Lar&gest",
       false,
       "",
       {},
       "Selects the largest font size\nLargest",
       -1,
       -1,
       ""},
      {kCmdFontLarger,
       M::kViewFonts,
       "&Larger",
       false,
       "",
       {},
       "Selects the large font size\nLarger",
       -1,
       -1,
       ""},
      {kCmdFontMedium,
       M::kViewFonts,
       "&Medium",
       false,
       "",
       {},
       "Selects the medium font size\nMedium",
       -1,
       -1,
       ""},
      {kCmdFontSmaller,
       M::kViewFonts,
       "&Smaller",
       false,
       "",
       {},
       "Selects the small font size\nSmaller",
       -1,
       -1,
       ""},
      {kCmdFontSmallest,
       M::kViewFonts,
       "Sm&allest",
       false,
       "",
       {},
       "Selects the smallest font size\nSmallest",
       -1,
       -1,
       ""},
      {kCmdStop,
       M::kView,
       "Sto&p",
       true,
       "Esc",
       {"Escape"},
       "Stops loading the current page\nStop",
       2,
       2,
       "process-stop"},
      {kCmdRefresh,
       M::kView,
       "&Refresh",
       false,
       "F5",
       {"F5"},
       "Refreshes the contents of the current page\nRefresh",
       3,
       3,
       "view-refresh"},
      {kCmdBack,
       M::kGo,
       "&Back",
       false,
       "Alt+Left Arrow",
       {},
       "Goes back one step\nBack",
       0,
       0,
       "go-previous"},
      {kCmdForward,
       M::kGo,
       "&Forward",
       false,
       "Alt+Right Arrow",
       {},
       "Goes forward one step\nForward",
       1,
       1,
       "go-next"},
      {kCmdHome,
       M::kGo,
       "&Home",
       true,
       "Ctrl+H",
       {"<Control>h"},
       "Opens the start page\nHome",
       4,
       4,
       "go-home"},
      {kCmdSearch,
       M::kGo,
       "&Search this E-Book...",
       false,
       "Ctrl+S",
       {"<Control>s"},
       "Searches this E-Book\nSearch",
       5,
       5,
       "system-search"},
      {kCmdContents,
       M::kGo,
       "&Table Of Contents",
       false,
       "Ctrl+T",
       {"<Control>t"},
       "Displays the table of contents\nContents",
       -1,
       -1,
       ""},
      {kCmdAbout,
       M::kHelp,
       "&About",
       false,
       "",
       {"<Control>i"},
       "Display information about this E-Book\nAbout",
       11,
       12,
       "help-about"},
      {kCmdContentsMenu,
       M::kNone,
       "",
       false,
       "",
       {},
       "Displays the table of contents\nContents",
       6,
       6,
       "view-list"},
      {kCmdFontMenu,
       M::kNone,
       "",
       false,
       "",
       {},
       "Changes the font size\nSize",
       9,
       9,
       "preferences-desktop-font"},
      {kCmdFrameworkFind,
       M::kNone,
       "",
       false,
       "",
       {},
       "Searches the current window for text\nFind",
       -1,
       -1,
       ""},
      {kCmdNextPane, M::kNone, "", false, "", {"F6"}, "", -1, -1, ""},
      {kCmdPreviousPane, M::kNone, "", false, "", {"<Shift>F6"}, "", -1, -1, ""},
  };
  return kCommands;
}

const FrameCommand* FindFrameCommand(int id) {
  for (const FrameCommand& command : FrameCommands()) {
    if (command.id == id)
      return &command;
  }
  return nullptr;
}

std::vector<const FrameCommand*> ToolbarCommands() {
  std::vector<const FrameCommand*> buttons(12, nullptr);
  for (const FrameCommand& command : FrameCommands()) {
    if (command.toolbarPosition >= 0 && command.toolbarPosition < 12)
      buttons[command.toolbarPosition] = &command;
  }
  return buttons;
}

ToolbarPlacement ToolbarPlacementFor(int32_t style) {
  switch (style) {
    case 1:
      return {BarEdge::kLeft, true};
    case 2:
      return {BarEdge::kRight, true};
    case 3:
      return {BarEdge::kBottom, false};
    default:
      return {BarEdge::kTop, false};
  }
}

std::string PromptStatusText(const std::string& prompt) {
  return prompt.substr(0, prompt.find('\n'));
}

std::string PromptTooltip(const std::string& prompt) {
  size_t last = prompt.rfind('\n');
  return last == std::string::npos ? prompt : prompt.substr(last + 1);
}

std::string MnemonicToGtk(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      } else {
        out += '_';
      }
    } else if (text[i] == '_') {
      out += "__";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace quire
