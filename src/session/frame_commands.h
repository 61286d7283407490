// The reader's commands as the menus, the toolbar, the pop-up menu and the keys show them.
// One row per command, found by its name: where it is listed, its keys, its prompt, when
// it may run and what it does. The window makes one action of each row and binds every
// menu item, button and key to it by name.
#ifndef QUIRE_SESSION_FRAME_COMMANDS_H_
#define QUIRE_SESSION_FRAME_COMMANDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "session/command_state.h"
#include "session/frame_command_target.h"

namespace quire {

// Command numbers, kept where the reader exposes them: the check mark of the font chosen,
// the status-bar prompts and the command state of a number.
inline constexpr int kCmdBack = 32771;
inline constexpr int kCmdForward = 32772;
inline constexpr int kCmdHome = 32773;
inline constexpr int kCmdStop = 32776;
inline constexpr int kCmdRefresh = 32777;
inline constexpr int kCmdSelectAll = 32784;
inline constexpr int kCmdFontLargest = 32787;
inline constexpr int kCmdFontLarger = 32788;
inline constexpr int kCmdFontMedium = 32789;
inline constexpr int kCmdFontSmaller = 32790;
inline constexpr int kCmdFontSmallest = 32791;
inline constexpr int kCmdSearch = 32794;
inline constexpr int kCmdContents = 32798;
inline constexpr int kCmdContentsMenu = 32800;
inline constexpr int kCmdFind = 32801;
inline constexpr int kCmdToolbar = 32802;
inline constexpr int kCmdFontMenu = 32808;
inline constexpr int kCmdPrintSetup = 57606;
inline constexpr int kCmdPrint = 57607;
inline constexpr int kCmdCopy = 57634;
inline constexpr int kCmdAbout = 57664;
inline constexpr int kCmdExit = 57665;
inline constexpr int kCmdNextPane = 57680;
inline constexpr int kCmdPreviousPane = 57681;
inline constexpr int kCmdStatusBar = 59393;

// The zoom level (0 smallest to 4 largest) of a font command, -1 for any other id.
int FontLevelOfCommand(int id);
// The font command of zoom level 0 to 4; the medium one for any other level.
int FontCommandOfLevel(int level);

enum class MenuName { kNone, kFile, kEdit, kView, kViewFonts, kGo, kHelp };

// The pop-up menus of the menu bar in order, with their texts ("&" marks the mnemonic).
struct MenuTitle {
  MenuName menu;
  const char* text;
};
const std::vector<MenuTitle>& MenuTitles();
// The title of the "Fo&nts" sub-menu of "&View", which follows a separator there.
inline constexpr char kFontsMenuText[] = "Fo&nts";

using CommandStateRule = CommandUiState (*)(const CommandContext&);
using CommandHandler = void (*)(FrameCommandTarget&, const CommandContext&);

inline CommandUiState AlwaysEnabled(const CommandContext&) {
  return {true, false};
}

struct FrameCommand {
  // The action's name; menus, buttons, the pop-up menu and keys reach the command by it.
  const char* name = "";
  // The command number; 0 for the keys that have none.
  int id = 0;
  // Where the command is listed; kNone for toolbar-only and keyboard-only commands. A
  // menu lists its commands in table order.
  MenuName menu = MenuName::kNone;
  const char* menuText = "";          // "&" marks the mnemonic
  bool separatorBefore = false;       // a separator precedes it in its menu
  bool checkable = false;             // its menu item carries a check mark
  const char* acceleratorLabel = "";  // shown after the menu text; names the first key
  // Keys in GTK accelerator syntax ("<Control>p", "F5"), the one the label names first.
  std::vector<const char*> keys = {};
  // Status-bar text, "\n", tooltip and button text; empty when there is none.
  const char* prompt = "";
  int toolbarPosition = -1;   // 0 to 11 for the twelve toolbar buttons
  int toolbarFlag = -1;       // the book's show flag of that button
  const char* iconName = "";  // themed icon of the toolbar button
  // Whether it may run now and whether its item is checked.
  CommandStateRule state = AlwaysEnabled;
  // What it does; only called while `state` enables it.
  CommandHandler run = nullptr;
};

// Every command, menu entries in menu order.
const std::vector<FrameCommand>& FrameCommands();
// The entry of command number `id`, or null.
const FrameCommand* FindFrameCommand(int id);
// The entry named `name`, or null.
const FrameCommand* FindFrameCommand(std::string_view name);
// The toolbar buttons by position (12 entries).
std::vector<const FrameCommand*> ToolbarCommands();

// Runs `command` against `target` when its rule enables it in `context`; false when it
// did not run.
bool RunFrameCommand(const FrameCommand& command, FrameCommandTarget& target,
                     const CommandContext& context);

// The buttons whose show flag is on, in position order. `showFlag` answers the book's
// flag for a flag number; flag 11 belongs to no button and is never asked.
template <typename ShowFlag>
std::vector<const FrameCommand*> VisibleToolbarCommands(ShowFlag showFlag) {
  std::vector<const FrameCommand*> visible;
  for (const FrameCommand* command : ToolbarCommands()) {
    if (command != nullptr && showFlag(command->toolbarFlag))
      visible.push_back(command);
  }
  return visible;
}

// Where the toolbar sits for the book's toolbar style: 0 (and any value outside 0 to 3)
// top, 1 left, 2 right with the left placement's vertical layout, 3 bottom.
enum class BarEdge { kTop, kLeft, kRight, kBottom };
struct ToolbarPlacement {
  BarEdge edge = BarEdge::kTop;
  bool vertical = false;
};
ToolbarPlacement ToolbarPlacementFor(int32_t style);

// The status-bar part of a prompt (before the first "\n") and the tooltip part (after the
// last "\n"; the whole prompt when it holds none).
std::string PromptStatusText(const std::string& prompt);
std::string PromptTooltip(const std::string& prompt);

// A menu text with "&" mnemonics in GTK's form: "&x" becomes "_x", "&&" a plain "&", and
// an "_" of the text is doubled so that it shows as itself.
std::string MnemonicToGtk(const std::string& text);

// The key an accelerator label names, in GTK accelerator syntax: "Ctrl+P" is
// "<Control>p", "Alt+Left Arrow" "<Alt>Left", "Esc" "Escape"; "" for an empty label.
std::string AcceleratorOfLabel(std::string_view label);

}  // namespace quire

#endif  // QUIRE_SESSION_FRAME_COMMANDS_H_
