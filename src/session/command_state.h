// When a command may run and whether its menu item is checked. Menus, toolbar buttons
// and accelerators all ask this before running a command.
#ifndef QUIRE_SESSION_COMMAND_STATE_H_
#define QUIRE_SESSION_COMMAND_STATE_H_

#include <cstdint>

namespace quire {

// What the answers depend on: the view's and frame's state and the book's settings.
struct CommandContext {
  // The web view's state.
  bool canGoBack = false;
  bool canGoForward = false;
  bool canCopy = false;
  bool canSelectAll = false;
  bool canFind = false;  // the view's own find command
  bool canRefresh = false;
  bool canStop = false;
  int fontCommand = 0;  // the font command last chosen
  // The frame's bars.
  bool toolbarVisible = false;
  bool statusBarVisible = false;
  // The book's settings.
  bool toolbarToggle = false;
  bool statusBarToggle = false;
  int32_t aboutMode = 0;
  bool anySearchable = false;
  bool contentsAvailable = false;
};

struct CommandUiState {
  bool enabled = false;
  bool checked = false;
};

// The state of command `id` (the ids of frame_commands.h). An id that is not a command
// of the reader is disabled.
CommandUiState CommandStateFor(int id, const CommandContext& context);

}  // namespace quire

#endif  // QUIRE_SESSION_COMMAND_STATE_H_
