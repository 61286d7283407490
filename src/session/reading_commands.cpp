#include "session/reading_commands.h"

namespace quire {

namespace {

using C = CommandContext;
using T = ReadingCommandTarget;

}  // namespace

const std::vector<ReadingCommand>& ReadingCommands() {
  using M = ReadingMenu;
  static const std::vector<ReadingCommand> kCommands = {
      {.name = "contents-pane",
       .menu = M::kView,
       .menuText = "Contents &Pane",
       .separatorBefore = true,
       .checkable = true,
       .acceleratorLabel = "F9",
       .keys = {"F9"},
       .prompt = "Shows or hides the contents beside the page\nContents Pane",
       .state =
           [](const C& c) {
             return CommandUiState{c.contentsAvailable, c.contentsPaneVisible};
           },
       .run = [](T& t, const C&) { t.ToggleContentsPane(); }},
      {.name = "search-box",
       .keys = {"<Control>k"},
       .prompt = "Searches this E-Book\nSearch",
       .state = [](const C& c) { return CommandUiState{c.anySearchable}; },
       .run = [](T& t, const C&) { t.FocusSearchBox(); }},
      {.name = "bookmark-add",
       .menu = M::kBookmarks,
       .menuText = "&Bookmark This Page",
       .acceleratorLabel = "Ctrl+D",
       .keys = {"<Control>d"},
       .prompt = "Bookmarks the page shown\nBookmark",
       .state = [](const C& c) { return CommandUiState{c.pageInBook && !c.pageBookmarked}; },
       .run = [](T& t, const C&) { t.AddBookmark(); }},
      {.name = "forget-reading",
       .menu = M::kBookmarks,
       .menuText = "&Forget Where I Left Off",
       .separatorBefore = true,
       .prompt = "Forgets the last page, the text size and the pane kept for this E-Book\nForget",
       .state = [](const C& c) { return CommandUiState{c.readingRemembered}; },
       .run = [](T& t, const C&) { t.ForgetReadingPlace(); }},
  };
  return kCommands;
}

const ReadingCommand* FindReadingCommand(std::string_view name) {
  for (const ReadingCommand& command : ReadingCommands()) {
    if (name == command.name)
      return &command;
  }
  return nullptr;
}

bool RunReadingCommand(const ReadingCommand& command, ReadingCommandTarget& target,
                       const CommandContext& context) {
  if (command.run == nullptr || !command.state(context).enabled)
    return false;
  command.run(target, context);
  return true;
}

const char* CommandForKey(const char* name) {
  return name != nullptr && std::string_view(name) == "search" ? "search-box" : name;
}

}  // namespace quire
