#include "session/reading_commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace quire::testing {
namespace {

class RecordingTarget final : public ReadingCommandTarget {
 public:
  void ToggleContentsPane() override { calls.push_back("ToggleContentsPane"); }
  void FocusSearchBox() override { calls.push_back("FocusSearchBox"); }
  void AddBookmark() override { calls.push_back("AddBookmark"); }
  void ForgetReadingPlace() override { calls.push_back("ForgetReadingPlace"); }
  std::vector<std::string> calls;
};

// Every fact the rules read, on.
CommandContext AllEnabled() {
  CommandContext all;
  all.contentsAvailable = all.anySearchable = all.pageInBook = all.readingRemembered = true;
  return all;
}

std::vector<std::string> CallsOf(const ReadingCommand& command) {
  RecordingTarget target;
  RunReadingCommand(command, target, AllEnabled());
  return target.calls;
}

// Where each row sits in the table, by name; -1 when it is not there.
int PositionOf(const char* name) {
  const ReadingCommand* command = FindReadingCommand(name);
  return command == nullptr ? -1 : static_cast<int>(command - ReadingCommands().data());
}

TEST(ReadingCommandsTest, EveryRowIsFoundByItsNameAndRunsOneOperation) {
  std::set<std::string> names;
  for (const ReadingCommand& command : ReadingCommands()) {
    EXPECT_TRUE(names.insert(command.name).second) << command.name;
    EXPECT_EQ(FindReadingCommand(command.name), &command);
    EXPECT_EQ(CallsOf(command).size(), 1u) << command.name;
    if (command.menu != ReadingMenu::kNone) {
      // A menu item's label names its first key.
      EXPECT_EQ(AcceleratorOfLabel(command.acceleratorLabel),
                command.keys.empty() ? "" : command.keys.front())
          << command.name;
    }
  }
  EXPECT_EQ(FindReadingCommand("search"), nullptr);
}

TEST(ReadingCommandsTest, MenusKeysAndOperations) {
  const struct {
    const char* name;
    ReadingMenu menu;
    const char* menuText;
    const char* label;
    std::vector<std::string> keys;
    const char* call;
  } cases[] = {
      {"contents-pane", ReadingMenu::kView, "Contents &Pane", "F9", {"F9"}, "ToggleContentsPane"},
      {"search-box", ReadingMenu::kNone, "", "", {"<Control>k"}, "FocusSearchBox"},
      {"bookmark-add",
       ReadingMenu::kBookmarks,
       "&Bookmark This Page",
       "Ctrl+D",
       {"<Control>d"},
       "AddBookmark"},
      {"forget-reading",
       ReadingMenu::kBookmarks,
       "&Forget Where I Left Off",
       "",
       {},
       "ForgetReadingPlace"},
  };
  for (const auto& c : cases) {
    const ReadingCommand* command = FindReadingCommand(c.name);
    ASSERT_NE(command, nullptr) << c.name;
    EXPECT_EQ(command->menu, c.menu) << c.name;
    EXPECT_STREQ(command->menuText, c.menuText);
    EXPECT_STREQ(command->acceleratorLabel, c.label);
    EXPECT_EQ(std::vector<std::string>(command->keys.begin(), command->keys.end()), c.keys);
    EXPECT_EQ(CallsOf(*command), std::vector<std::string>{c.call});
  }
  // A menu lists its rows in table order.
  EXPECT_LT(PositionOf("bookmark-add"), PositionOf("forget-reading"));
}

TEST(ReadingCommandsTest, NoNameOrKeyClashesWithTheReadersOwnCommands) {
  std::set<std::string> names;
  std::set<std::string> keys;
  for (const FrameCommand& command : FrameCommands()) {
    names.insert(command.name);
    keys.insert(command.keys.begin(), command.keys.end());
  }
  for (const ReadingCommand& command : ReadingCommands()) {
    EXPECT_TRUE(names.insert(command.name).second) << command.name;
    for (const char* key : command.keys)
      EXPECT_TRUE(keys.insert(key).second) << key;
  }
}

TEST(ReadingCommandsTest, EachCommandFollowsItsCondition) {
  const struct {
    const char* name;
    void (*set)(CommandContext&);
  } cases[] = {
      {"contents-pane", [](CommandContext& c) { c.contentsAvailable = true; }},
      {"search-box", [](CommandContext& c) { c.anySearchable = true; }},
      {"bookmark-add", [](CommandContext& c) { c.pageInBook = true; }},
      {"forget-reading", [](CommandContext& c) { c.readingRemembered = true; }},
  };
  for (const auto& c : cases) {
    const ReadingCommand& command = *FindReadingCommand(c.name);
    CommandContext context;
    RecordingTarget target;
    EXPECT_FALSE(RunReadingCommand(command, target, context)) << c.name;
    EXPECT_TRUE(target.calls.empty()) << c.name;
    c.set(context);
    EXPECT_TRUE(command.state(context).enabled) << c.name;
  }
  // A page bookmarked already cannot be bookmarked again.
  CommandContext marked;
  marked.pageInBook = marked.pageBookmarked = true;
  EXPECT_FALSE(FindReadingCommand("bookmark-add")->state(marked).enabled);
  // The pane's item is checked while the pane shows.
  CommandContext shown;
  shown.contentsAvailable = shown.contentsPaneVisible = true;
  EXPECT_TRUE(FindReadingCommand("contents-pane")->state(shown).checked);
  shown.contentsPaneVisible = false;
  EXPECT_FALSE(FindReadingCommand("contents-pane")->state(shown).checked);
}

TEST(ReadingCommandsTest, CtrlSMovesToTheSearchBox) {
  EXPECT_STREQ(CommandForKey("search"), "search-box");
  for (const char* name : {"search-box", "contents", "find", "print", ""})
    EXPECT_EQ(CommandForKey(name), name);
}

}  // namespace
}  // namespace quire::testing
