// When a command may run and whether its menu item is checked. Menus, toolbar buttons
// and keys all ask this before running a command; each command's rule is a row of the
// table in frame_commands.h.
#ifndef QUIRE_SESSION_COMMAND_STATE_H_
#define QUIRE_SESSION_COMMAND_STATE_H_

#include <cstdint>
#include <string_view>

namespace quire {

// What the answers depend on: the view's and frame's state and the book's settings.
struct CommandContext {
  // The web view's state.
  bool canGoBack = false;
  bool canGoForward = false;
  bool canCopy = false;
  bool canSelectAll = false;
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
  // The reading aids (reading_commands.h).
  bool contentsPaneVisible = false;
  bool pageInBook = false;         // the page shown is a page of the book
  bool pageBookmarked = false;     // ... and it is bookmarked
  bool readingRemembered = false;  // the last page, text size or pane state is kept
};

struct CommandUiState {
  bool enabled = false;
  bool checked = false;
};

// The state of command number `id` (the ids of frame_commands.h), or of the command named
// `name`. A command that is not one of the reader's is disabled.
CommandUiState CommandStateFor(int id, const CommandContext& context);
CommandUiState CommandStateFor(std::string_view name, const CommandContext& context);

}  // namespace quire

#endif  // QUIRE_SESSION_COMMAND_STATE_H_
