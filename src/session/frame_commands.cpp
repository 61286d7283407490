#include "session/frame_commands.h"

#include <algorithm>

#include "platform/ascii_text.h"

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

namespace {

using C = CommandContext;
using T = FrameCommandTarget;

// The size chosen now; the medium one before any was chosen.
int FontLevelNow(const C& c) {
  const int level = FontLevelOfCommand(c.fontCommand);
  return level < 0 ? 2 : level;
}

// A font command: always enabled, checked while it is the size chosen.
template <int kCommand>
CommandUiState FontState(const C& c) {
  return {true, c.fontCommand == kCommand};
}
template <int kCommand>
void SetFont(T& t, const C&) {
  t.SetFontSize(FontLevelOfCommand(kCommand));
}

}  // namespace

const std::vector<FrameCommand>& FrameCommands() {
  using M = MenuName;
  static const std::vector<FrameCommand> kCommands = {
      {.name = "print",
       .id = kCmdPrint,
       .menu = M::kFile,
       .menuText = "&Print...",
       .acceleratorLabel = "Ctrl+P",
       .keys = {"<Control>p"},
       .prompt = "Print the active document\nPrint",
       .toolbarPosition = 10,
       .toolbarFlag = 10,
       .iconName = "document-print",
       .run = [](T& t, const C&) { t.PrintPage(); }},
      {.name = "print-setup",
       .id = kCmdPrintSetup,
       .menu = M::kFile,
       .menuText = "P&rint Setup...",
       .prompt = "Change the printer and printing options\nPrint Setup",
       .run = [](T& t, const C&) { t.PrintSetup(); }},
      // Ctrl+W and Ctrl+Q close the book as desktop programs do; the menu shows no key.
      {.name = "exit",
       .id = kCmdExit,
       .menu = M::kFile,
       .menuText = "E&xit",
       .separatorBefore = true,
       .keys = {"<Control>w", "<Control>q"},
       .prompt = "Quit the application\nExit",
       .run = [](T& t, const C&) { t.CloseBook(); }},
      {.name = "copy",
       .id = kCmdCopy,
       .menu = M::kEdit,
       .menuText = "&Copy",
       .acceleratorLabel = "Ctrl+C",
       .keys = {"<Control>c", "<Control>Insert"},
       .prompt = "Copy the selection and put it on the Clipboard\nCopy",
       .toolbarPosition = 7,
       .toolbarFlag = 7,
       .iconName = "edit-copy",
       .state = [](const C& c) { return CommandUiState{c.canCopy}; },
       .run = [](T& t, const C&) { t.CopySelection(); }},
      {.name = "select-all",
       .id = kCmdSelectAll,
       .menu = M::kEdit,
       .menuText = "Select &All",
       .separatorBefore = true,
       .acceleratorLabel = "Ctrl+A",
       .keys = {"<Control>a"},
       .prompt = "Select all the text\nSelect All",
       .state = [](const C& c) { return CommandUiState{c.canSelectAll}; },
       .run = [](T& t, const C&) { t.SelectAllText(); }},
      {.name = "find",
       .id = kCmdFind,
       .menu = M::kEdit,
       .menuText = "&Find (on this page)...",
       .separatorBefore = true,
       .acceleratorLabel = "Ctrl+F",
       .keys = {"<Control>f"},
       .prompt = "Searches the current window for text\nFind",
       .toolbarPosition = 8,
       .toolbarFlag = 8,
       .iconName = "edit-find",
       .run = [](T& t, const C&) { t.FindOnPage(); }},
      {.name = "toolbar",
       .id = kCmdToolbar,
       .menu = M::kView,
       .menuText = "&Toolbar",
       .checkable = true,
       .state =
           [](const C& c) {
             return CommandUiState{c.toolbarToggle, c.toolbarVisible};
           },
       .run = [](T& t, const C&) { t.ToggleToolbar(); }},
      {.name = "status-bar",
       .id = kCmdStatusBar,
       .menu = M::kView,
       .menuText = "&Status Bar",
       .checkable = true,
       .prompt = "Show or hide the status bar\nToggle StatusBar",
       .state =
           [](const C& c) {
             return CommandUiState{c.statusBarToggle, c.statusBarVisible};
           },
       .run = [](T& t, const C&) { t.ToggleStatusBar(); }},
      {.name = "font-largest",
       .id = kCmdFontLargest,
       .menu = M::kViewFonts,
       .menuText = "Lar&gest",
       .checkable = true,
       .prompt = "Selects the largest font size\nLargest",
       .state = FontState<kCmdFontLargest>,
       .run = SetFont<kCmdFontLargest>},
      {.name = "font-larger",
       .id = kCmdFontLarger,
       .menu = M::kViewFonts,
       .menuText = "&Larger",
       .checkable = true,
       .prompt = "Selects the large font size\nLarger",
       .state = FontState<kCmdFontLarger>,
       .run = SetFont<kCmdFontLarger>},
      {.name = "font-medium",
       .id = kCmdFontMedium,
       .menu = M::kViewFonts,
       .menuText = "&Medium",
       .checkable = true,
       .prompt = "Selects the medium font size\nMedium",
       .state = FontState<kCmdFontMedium>,
       .run = SetFont<kCmdFontMedium>},
      {.name = "font-smaller",
       .id = kCmdFontSmaller,
       .menu = M::kViewFonts,
       .menuText = "&Smaller",
       .checkable = true,
       .prompt = "Selects the small font size\nSmaller",
       .state = FontState<kCmdFontSmaller>,
       .run = SetFont<kCmdFontSmaller>},
      {.name = "font-smallest",
       .id = kCmdFontSmallest,
       .menu = M::kViewFonts,
       .menuText = "Sm&allest",
       .checkable = true,
       .prompt = "Selects the smallest font size\nSmallest",
       .state = FontState<kCmdFontSmallest>,
       .run = SetFont<kCmdFontSmallest>},
      {.name = "stop",
       .id = kCmdStop,
       .menu = M::kView,
       .menuText = "Sto&p",
       .separatorBefore = true,
       .acceleratorLabel = "Esc",
       .keys = {"Escape"},
       .prompt = "Stops loading the current page\nStop",
       .toolbarPosition = 2,
       .toolbarFlag = 2,
       .iconName = "process-stop",
       .state = [](const C& c) { return CommandUiState{c.canStop}; },
       .run = [](T& t, const C&) { t.StopLoading(); }},
      {.name = "refresh",
       .id = kCmdRefresh,
       .menu = M::kView,
       .menuText = "&Refresh",
       .acceleratorLabel = "F5",
       .keys = {"F5"},
       .prompt = "Refreshes the contents of the current page\nRefresh",
       .toolbarPosition = 3,
       .toolbarFlag = 3,
       .iconName = "view-refresh",
       .state = [](const C& c) { return CommandUiState{c.canRefresh}; },
       .run = [](T& t, const C&) { t.RefreshPage(); }},
      {.name = "back",
       .id = kCmdBack,
       .menu = M::kGo,
       .menuText = "&Back",
       .acceleratorLabel = "Alt+Left Arrow",
       .keys = {"<Alt>Left", "Back"},
       .prompt = "Goes back one step\nBack",
       .toolbarPosition = 0,
       .toolbarFlag = 0,
       .iconName = "go-previous",
       .state = [](const C& c) { return CommandUiState{c.canGoBack}; },
       .run = [](T& t, const C&) { t.GoBack(); }},
      {.name = "forward",
       .id = kCmdForward,
       .menu = M::kGo,
       .menuText = "&Forward",
       .acceleratorLabel = "Alt+Right Arrow",
       .keys = {"<Alt>Right", "Forward"},
       .prompt = "Goes forward one step\nForward",
       .toolbarPosition = 1,
       .toolbarFlag = 1,
       .iconName = "go-next",
       .state = [](const C& c) { return CommandUiState{c.canGoForward}; },
       .run = [](T& t, const C&) { t.GoForward(); }},
      {.name = "home",
       .id = kCmdHome,
       .menu = M::kGo,
       .menuText = "&Home",
       .separatorBefore = true,
       .acceleratorLabel = "Ctrl+H",
       .keys = {"<Control>h"},
       .prompt = "Opens the start page\nHome",
       .toolbarPosition = 4,
       .toolbarFlag = 4,
       .iconName = "go-home",
       .run = [](T& t, const C&) { t.GoHome(); }},
      {.name = "search",
       .id = kCmdSearch,
       .menu = M::kGo,
       .menuText = "&Search this E-Book...",
       .acceleratorLabel = "Ctrl+S",
       .keys = {"<Control>s"},
       .prompt = "Searches this E-Book\nSearch",
       .toolbarPosition = 5,
       .toolbarFlag = 5,
       .iconName = "system-search",
       .state = [](const C& c) { return CommandUiState{c.anySearchable}; },
       .run = [](T& t, const C&) { t.ShowSearch(); }},
      {.name = "contents",
       .id = kCmdContents,
       .menu = M::kGo,
       .menuText = "&Table Of Contents",
       .acceleratorLabel = "Ctrl+T",
       .keys = {"<Control>t"},
       .prompt = "Displays the table of contents\nContents",
       .state = [](const C& c) { return CommandUiState{c.contentsAvailable}; },
       .run = [](T& t, const C&) { t.ShowContents(); }},
      {.name = "about",
       .id = kCmdAbout,
       .menu = M::kHelp,
       .menuText = "&About",
       .keys = {"<Control>i"},
       .prompt = "Display information about this E-Book\nAbout",
       .toolbarPosition = 11,
       .toolbarFlag = 12,
       .iconName = "help-about",
       .state = [](const C& c) { return CommandUiState{c.aboutMode != 1}; },
       .run = [](T& t, const C&) { t.ShowAbout(); }},
      {.name = "contents-menu",
       .id = kCmdContentsMenu,
       .prompt = "Displays the table of contents\nContents",
       .toolbarPosition = 6,
       .toolbarFlag = 6,
       .iconName = "view-list",
       .state = [](const C& c) { return CommandUiState{c.contentsAvailable}; },
       .run = [](T& t, const C&) { t.ShowContentsMenu(); }},
      {.name = "font-menu",
       .id = kCmdFontMenu,
       .prompt = "Changes the font size\nSize",
       .toolbarPosition = 9,
       .toolbarFlag = 9,
       .iconName = "preferences-desktop-font",
       .run = [](T& t, const C&) { t.ShowFontMenu(); }},
      {.name = "next-pane",
       .id = kCmdNextPane,
       .keys = {"F6"},
       .run = [](T& t, const C&) { t.FocusNextPane(); }},
      {.name = "previous-pane",
       .id = kCmdPreviousPane,
       .keys = {"<Shift>F6"},
       .run = [](T& t, const C&) { t.FocusPreviousPane(); }},
      // The keys people expect for the text size: one size larger, smaller, back to
      // medium; the Fonts menu's check mark follows.
      {.name = "font-grow",
       .keys = {"<Control>plus", "<Control>equal", "<Control>KP_Add"},
       .run = [](T& t, const C& c) { t.SetFontSize(std::min(FontLevelNow(c) + 1, 4)); }},
      {.name = "font-shrink",
       .keys = {"<Control>minus", "<Control>KP_Subtract"},
       .run = [](T& t, const C& c) { t.SetFontSize(std::max(FontLevelNow(c) - 1, 0)); }},
      {.name = "font-reset",
       .keys = {"<Control>0", "<Control>KP_0"},
       .run = [](T& t, const C&) { t.SetFontSize(FontLevelOfCommand(kCmdFontMedium)); }},
  };
  return kCommands;
}

const FrameCommand* FindFrameCommand(int id) {
  if (id == 0)
    return nullptr;
  for (const FrameCommand& command : FrameCommands()) {
    if (command.id == id)
      return &command;
  }
  return nullptr;
}

const FrameCommand* FindFrameCommand(std::string_view name) {
  for (const FrameCommand& command : FrameCommands()) {
    if (name == command.name)
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

bool RunFrameCommand(const FrameCommand& command, FrameCommandTarget& target,
                     const CommandContext& context) {
  if (command.run == nullptr || !command.state(context).enabled)
    return false;
  command.run(target, context);
  return true;
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

std::string AcceleratorOfLabel(std::string_view label) {
  static constexpr struct {
    std::string_view label;
    std::string_view gtk;
  } kModifiers[] = {{"Ctrl+", "<Control>"}, {"Alt+", "<Alt>"}, {"Shift+", "<Shift>"}};
  static constexpr struct {
    std::string_view label;
    std::string_view gtk;
  } kKeys[] = {{"Left Arrow", "Left"}, {"Right Arrow", "Right"}, {"Up Arrow", "Up"},
               {"Down Arrow", "Down"}, {"Esc", "Escape"},        {"Ins", "Insert"}};
  std::string accelerator;
  bool more = true;
  while (more) {
    more = false;
    for (const auto& modifier : kModifiers) {
      if (label.size() > modifier.label.size() && label.starts_with(modifier.label)) {
        accelerator += modifier.gtk;
        label.remove_prefix(modifier.label.size());
        more = true;
      }
    }
  }
  for (const auto& key : kKeys) {
    if (label == key.label)
      return accelerator + std::string(key.gtk);
  }
  // A letter is named in lower case; F5 and other key names as written.
  if (label.size() == 1)
    return accelerator + AsciiLower(label[0]);
  return label.empty() ? std::string() : accelerator + std::string(label);
}

}  // namespace quire
