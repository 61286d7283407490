#include "session/command_state.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "command_contexts.h"
#include "session/frame_commands.h"

namespace quire::testing {
namespace {

// Every rule is exercised: a command with a rule of its own is enabled in some context
// and disabled in another, or, when its rule only sets the check mark, checked in some and
// unchecked in another. A command without one is enabled everywhere and never checked.
// Asked by name or number, the answer is the rule's.
TEST(CommandStateTest, EveryRuleIsExercised) {
  const std::vector<CommandContext> contexts = SampleContexts();
  for (const FrameCommand& command : FrameCommands()) {
    std::set<bool> enabled;
    std::set<bool> checked;
    for (const CommandContext& context : contexts) {
      const CommandUiState state = command.state(context);
      enabled.insert(state.enabled);
      checked.insert(state.checked);
      EXPECT_EQ(CommandStateFor(command.name, context).enabled, state.enabled) << command.name;
      EXPECT_EQ(CommandStateFor(command.name, context).checked, state.checked) << command.name;
      if (command.id != 0) {
        EXPECT_EQ(CommandStateFor(command.id, context).enabled, state.enabled) << command.name;
      }
    }
    EXPECT_TRUE(enabled.count(true)) << command.name << " is enabled nowhere";
    if (!command.checkable) {
      EXPECT_FALSE(checked.count(true)) << command.name << " is checked without a check mark";
    }
    if (command.state == AlwaysEnabled) {
      EXPECT_EQ(enabled, std::set<bool>{true}) << command.name;
      continue;
    }
    const bool decidesEnabling = enabled.size() == 2;
    const bool decidesCheck = command.checkable && checked.size() == 2;
    EXPECT_TRUE(decidesEnabling || decidesCheck)
        << command.name << " has a rule that no context exercises";
  }
}

// The conditions people notice: what must be there before a command can run.
TEST(CommandStateTest, CommandsWaitForWhatTheyActOn) {
  const struct {
    const char* name;
    bool CommandContext::*needs;
  } cases[] = {
      {"copy", &CommandContext::canCopy},  // nothing selected, nothing to copy
      {"select-all", &CommandContext::canSelectAll},
      {"back", &CommandContext::canGoBack},
      {"forward", &CommandContext::canGoForward},
      {"stop", &CommandContext::canStop},  // only while a page loads
      {"refresh", &CommandContext::canRefresh},
      {"search", &CommandContext::anySearchable},
      {"contents", &CommandContext::contentsAvailable},
      {"contents-menu", &CommandContext::contentsAvailable},
      {"toolbar", &CommandContext::toolbarToggle},
      {"status-bar", &CommandContext::statusBarToggle},
  };
  for (const auto& c : cases) {
    CommandContext all;
    for (bool CommandContext::*flag : ContextFlags())
      all.*flag = true;
    EXPECT_TRUE(CommandStateFor(c.name, all).enabled) << c.name;
    all.*c.needs = false;
    EXPECT_FALSE(CommandStateFor(c.name, all).enabled) << c.name;
  }
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
