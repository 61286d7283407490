#include "session/command_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "session/frame_commands.h"

namespace quire::testing {
namespace {

// For each command: the context field that enables it (null: always enabled).
struct EnablingCase {
  int id;
  bool CommandContext::*enabledBy;
};

TEST(CommandStateTest, EveryCommandFollowsItsOwnCondition) {
  const EnablingCase cases[] = {
      {kCmdPrint, nullptr},
      {kCmdPrintSetup, nullptr},
      {kCmdExit, nullptr},
      {kCmdCopy, &CommandContext::canCopy},
      {kCmdSelectAll, &CommandContext::canSelectAll},
      {kCmdFind, nullptr},
      {kCmdFrameworkFind, &CommandContext::canFind},
      {kCmdToolbar, &CommandContext::toolbarToggle},
      {kCmdStatusBar, &CommandContext::statusBarToggle},
      {kCmdFontLargest, nullptr},
      {kCmdFontLarger, nullptr},
      {kCmdFontMedium, nullptr},
      {kCmdFontSmaller, nullptr},
      {kCmdFontSmallest, nullptr},
      {kCmdStop, &CommandContext::canStop},
      {kCmdRefresh, &CommandContext::canRefresh},
      {kCmdBack, &CommandContext::canGoBack},
      {kCmdForward, &CommandContext::canGoForward},
      {kCmdHome, nullptr},
      {kCmdSearch, &CommandContext::anySearchable},
      {kCmdContents, &CommandContext::contentsAvailable},
      {kCmdContentsMenu, &CommandContext::contentsAvailable},
      {kCmdFontMenu, nullptr},
      {kCmdNextPane, nullptr},
      {kCmdPreviousPane, nullptr},
  };
  std::set<int> covered;
  for (const EnablingCase& c : cases) {
    covered.insert(c.id);
    CommandContext off;
    off.aboutMode = 1;
    CommandContext on = off;
    if (c.enabledBy != nullptr)
      on.*c.enabledBy = true;
    EXPECT_TRUE(CommandStateFor(c.id, on).enabled) << c.id;
    EXPECT_EQ(CommandStateFor(c.id, off).enabled, c.enabledBy == nullptr) << c.id;
    // Every other field being on does not enable it either.
    if (c.enabledBy != nullptr) {
      CommandContext allButOne;
      allButOne.canGoBack = allButOne.canGoForward = allButOne.canCopy = true;
      allButOne.canSelectAll = allButOne.canFind = allButOne.canRefresh = true;
      allButOne.canStop = allButOne.toolbarVisible = allButOne.statusBarVisible = true;
      allButOne.toolbarToggle = allButOne.statusBarToggle = allButOne.anySearchable = true;
      allButOne.contentsAvailable = true;
      allButOne.*c.enabledBy = false;
      EXPECT_FALSE(CommandStateFor(c.id, allButOne).enabled) << c.id;
    }
  }
  covered.insert(kCmdAbout);
  // The table names every command of the reader.
  for (const FrameCommand& command : FrameCommands())
    EXPECT_TRUE(covered.count(command.id)) << command.id;
}

TEST(CommandStateTest, AboutIsOffOnlyInAboutModeOne) {
  for (int32_t mode : {0, 1, 2, 3, -1}) {
    CommandContext context;
    context.aboutMode = mode;
    EXPECT_EQ(CommandStateFor(kCmdAbout, context).enabled, mode != 1) << mode;
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
  for (int id : {0, -1, 32770, 32774, 57600, 59392, 99999})
    EXPECT_FALSE(CommandStateFor(id, everything).enabled) << id;
}

}  // namespace
}  // namespace quire::testing
