// The commands that help with long books: the contents pane, the search box, bookmarks
// and forgetting where one left off. They stand beside the reader's own commands
// (frame_commands.h) and work the same way: the window makes one action of each row,
// lists the rows in its menus, binds their keys and asks their rules before running them.
#ifndef QUIRE_SESSION_READING_COMMANDS_H_
#define QUIRE_SESSION_READING_COMMANDS_H_

#include <string_view>
#include <vector>

#include "session/command_state.h"
#include "session/frame_commands.h"

namespace quire {

// What the reading commands act on; the window implements it.
class ReadingCommandTarget {
 public:
  virtual ~ReadingCommandTarget() = default;
  // Shows the contents pane when hidden, hides it when shown.
  virtual void ToggleContentsPane() = 0;
  // Puts the focus in the toolbar's search box; where the toolbar shows none, asks with
  // the search dialog instead.
  virtual void FocusSearchBox() = 0;
  virtual void AddBookmark() = 0;
  virtual void ForgetReadingPlace() = 0;
};

// Where a reading command is listed.
enum class ReadingMenu { kNone, kView, kBookmarks };

// The "&Bookmarks" menu, which stands in the menu bar after the menu named here. Besides
// its commands it lists the bookmarks themselves and a sub-menu to remove one.
inline constexpr char kBookmarksMenuText[] = "&Bookmarks";
inline constexpr MenuName kBookmarksMenuFollows = MenuName::kGo;
inline constexpr char kRemoveBookmarkMenuText[] = "&Remove Bookmark";

using ReadingCommandHandler = void (*)(ReadingCommandTarget&, const CommandContext&);

struct ReadingCommand {
  const char* name = "";
  ReadingMenu menu = ReadingMenu::kNone;
  const char* menuText = "";  // "&" marks the mnemonic
  bool separatorBefore = false;
  bool checkable = false;
  const char* acceleratorLabel = "";
  std::vector<const char*> keys = {};  // GTK accelerator syntax
  const char* prompt = "";             // status-bar text, "\n", tooltip
  CommandStateRule state = AlwaysEnabled;
  ReadingCommandHandler run = nullptr;
};

// Every reading command; those of a menu in the order the menu lists them. The View
// menu lists its own after its last item, behind a separator.
const std::vector<ReadingCommand>& ReadingCommands();
// The row named `name`, or null.
const ReadingCommand* FindReadingCommand(std::string_view name);

// Runs `command` against `target` when its rule enables it in `context`; false when it
// did not run.
bool RunReadingCommand(const ReadingCommand& command, ReadingCommandTarget& target,
                       const CommandContext& context);

// The command a key bound to the command `name` runs: the key of "search" (Ctrl+S) moves
// the focus to the search box ("search-box"), as Ctrl+K does; the menu item and the
// toolbar button still open the dialog. Every other name is returned as it is.
const char* CommandForKey(const char* name);

}  // namespace quire

#endif  // QUIRE_SESSION_READING_COMMANDS_H_
