#include "session/command_state.h"

#include "session/frame_commands.h"

namespace quire {

CommandUiState CommandStateFor(int id, const CommandContext& c) {
  switch (id) {
    case kCmdPrint:
    case kCmdPrintSetup:
    case kCmdExit:
    case kCmdFind:
    case kCmdHome:
    case kCmdFontMenu:
    case kCmdNextPane:
    case kCmdPreviousPane:
      return {true, false};
    case kCmdCopy:
      return {c.canCopy, false};
    case kCmdSelectAll:
      return {c.canSelectAll, false};
    case kCmdFrameworkFind:
      return {c.canFind, false};
    case kCmdRefresh:
      return {c.canRefresh, false};
    case kCmdStop:
      return {c.canStop, false};
    case kCmdBack:
      return {c.canGoBack, false};
    case kCmdForward:
      return {c.canGoForward, false};
    case kCmdFontLargest:
    case kCmdFontLarger:
    case kCmdFontMedium:
    case kCmdFontSmaller:
    case kCmdFontSmallest:
      return {true, c.fontCommand == id};
    case kCmdToolbar:
      return {c.toolbarToggle, c.toolbarVisible};
    case kCmdStatusBar:
      return {c.statusBarToggle, c.statusBarVisible};
    case kCmdAbout:
      return {c.aboutMode != 1, false};
    case kCmdSearch:
      return {c.anySearchable, false};
    case kCmdContents:
    case kCmdContentsMenu:
      return {c.contentsAvailable, false};
    default:
      return {false, false};
  }
}

}  // namespace quire
