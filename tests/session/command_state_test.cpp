#include "session/command_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "session/frame_commands.h"

namespace quire::testing {
namespace {

// For each command: the context field that enables it (null: always enabled).
struct EnablingCase {
  const char* name;
  int id;  // 0 for the keys that have no command number
  bool CommandContext::*enabledBy;
};

TEST(CommandStateTest, EveryCommandFollowsItsOwnCondition) {
  const EnablingCase cases[] = {
      {"print", kCmdPrint, nullptr},
      {"print-setup", kCmdPrintSetup, nullptr},
      {"exit", kCmdExit, nullptr},
      {"copy", kCmdCopy, &CommandContext::canCopy},
      {"select-all", kCmdSelectAll, &CommandContext::canSelectAll},
      {"find", kCmdFind, nullptr},
      {"toolbar", kCmdToolbar, &CommandContext::toolbarToggle},
      {"status-bar", kCmdStatusBar, &CommandContext::statusBarToggle},
      {"font-largest", kCmdFontLargest, nullptr},
      {"font-larger", kCmdFontLarger, nullptr},
      {"font-medium", kCmdFontMedium, nullptr},
      {"font-smaller", kCmdFontSmaller, nullptr},
      {"font-smallest", kCmdFontSmallest, nullptr},
      {"stop", kCmdStop, &CommandContext::canStop},
      {"refresh", kCmdRefresh, &CommandContext::canRefresh},
      {"back", kCmdBack, &CommandContext::canGoBack},
      {"forward", kCmdForward, &CommandContext::canGoForward},
      {"home", kCmdHome, nullptr},
      {"search", kCmdSearch, &CommandContext::anySearchable},
      {"contents", kCmdContents, &CommandContext::contentsAvailable},
      {"contents-menu", kCmdContentsMenu, &CommandContext::contentsAvailable},
      {"font-menu", kCmdFontMenu, nullptr},
      {"next-pane", kCmdNextPane, nullptr},
      {"previous-pane", kCmdPreviousPane, nullptr},
      {"font-grow", 0, nullptr},
      {"font-shrink", 0, nullptr},
      {"font-reset", 0, nullptr},
  };
  std::set<std::string> covered;
  for (const EnablingCase& c : cases) {
    covered.insert(c.name);
    ASSERT_NE(FindFrameCommand(c.name), nullptr) << c.name;
    EXPECT_EQ(FindFrameCommand(c.name)->id, c.id) << c.name;
    CommandContext off;
    off.aboutMode = 1;
    CommandContext on = off;
    if (c.enabledBy != nullptr)
      on.*c.enabledBy = true;
    EXPECT_TRUE(CommandStateFor(c.name, on).enabled) << c.name;
    EXPECT_EQ(CommandStateFor(c.name, off).enabled, c.enabledBy == nullptr) << c.name;
    if (c.id != 0) {
      EXPECT_TRUE(CommandStateFor(c.id, on).enabled) << c.id;
      EXPECT_EQ(CommandStateFor(c.id, off).enabled, c.enabledBy == nullptr) << c.id;
    }
    // Every other field being on does not enable it either.
    if (c.enabledBy != nullptr) {
      CommandContext allButOne;
      allButOne.canGoBack = allButOne.canGoForward = allButOne.canCopy = true;
      allButOne.canSelectAll = allButOne.canRefresh = true;
      allButOne.canStop = allButOne.toolbarVisible = allButOne.statusBarVisible = true;
      allButOne.toolbarToggle = allButOne.statusBarToggle = allButOne.anySearchable = true;
      allButOne.contentsAvailable = true;
      allButOne.*c.enabledBy = false;
      EXPECT_FALSE(CommandStateFor(c.name, allButOne).enabled) << c.name;
    }
  }
  covered.insert("about");
  // The table names every command of the reader.
  for (const FrameCommand& command : FrameCommands())
    EXPECT_TRUE(covered.count(command.name)) << command.name;
}

TEST(CommandStateTest, AboutIsOffOnlyInAboutModeOne) {
  for (int32_t mode : {0, 1, 2, 3, -1}) {
    CommandContext context;
    context.aboutMode = mode;
    EXPECT_EQ(CommandStateFor(kCmdAbout, context).enabled, mode != 1) << mode;
    EXPECT_EQ(CommandStateFor("about", context).enabled, mode != 1) << mode;
  }
}

TEST(CommandStateTest, ChecksFollowTheBarsAndTheFontChosen) {
  CommandContext context;
  context.fontCommand = kCmdFontSmallest;
  for (int id : {kCmdFontLargest, kCmdFontLarger, kCmdFontMedium, kCmdFontSmaller})
    EXPECT_FALSE(CommandStateFor(id, context).checked) << id;
  EXPECT_TRUE(CommandStateFor(kCmdFontSmallest, context).checked);

  context.toolbarVisible = true;
  EXPECT_TRUE(CommandStateFor(kCmdToolbar, context).checked);
  EXPECT_FALSE(CommandStateFor(kCmdToolbar, context).enabled);
  EXPECT_FALSE(CommandStateFor(kCmdStatusBar, context).checked);
  context.statusBarVisible = true;
  context.statusBarToggle = true;
  EXPECT_TRUE(CommandStateFor(kCmdStatusBar, context).checked);
  EXPECT_TRUE(CommandStateFor(kCmdStatusBar, context).enabled);
  EXPECT_FALSE(CommandStateFor(kCmdHome, context).checked);
}

TEST(CommandStateTest, UnknownIdsNeverRun) {
  CommandContext everything;
  everything.canGoBack = everything.canCopy = everything.contentsAvailable = true;
  for (int id : {0, -1, 32770, 32774, 57600, 57636, 59392, 99999})
    EXPECT_FALSE(CommandStateFor(id, everything).enabled) << id;
  for (const char* name : {"", "Print", "print ", "framework-find", "win.print"})
    EXPECT_FALSE(CommandStateFor(name, everything).enabled) << name;
}

}  // namespace
}  // namespace quire::testing
