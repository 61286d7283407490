#include "session/font_commands.h"

#include <gtest/gtest.h>

#include "session/command_state.h"
#include "session/frame_commands.h"

namespace quire {
namespace {

TEST(FontCommandsTest, CommandsMenuIdsAndZoomLevelsAgree) {
  struct Case {
    int command;
    int level;
    int menuId;
    const char* text;
  };
  const Case cases[] = {
      {32787, 4, 5, "Lar&gest"}, {32788, 3, 4, "&Larger"},   {32789, 2, 3, "&Medium"},
      {32790, 1, 2, "&Smaller"}, {32791, 0, 1, "Sm&allest"},
  };
  int row = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(FontLevelOfCommand(c.command), c.level) << c.command;
    EXPECT_EQ(FontCommandOfLevel(c.level), c.command) << c.level;
    EXPECT_EQ(FontCommandOfMenuId(c.menuId), c.command) << c.menuId;
    // The drop-down lists largest to smallest with the View menu's texts.
    const FontMenuItem& item = FontMenuItems()[row++];
    EXPECT_EQ(item.id, c.menuId);
    EXPECT_EQ(item.command, c.command);
    EXPECT_STREQ(item.text, c.text);
    EXPECT_STREQ(FindFrameCommand(c.command)->menuText, c.text);
  }
  for (int other : {0, 32786, 32792, 57607})
    EXPECT_EQ(FontLevelOfCommand(other), -1) << other;
  for (int id : {0, 6, -1})
    EXPECT_EQ(FontCommandOfMenuId(id), 0) << id;
}

TEST(FontCommandsTest, OnlyTheChosenSizeIsCheckedInTheMenuAndTheDropDown) {
  for (int chosen = kCmdFontLargest; chosen <= kCmdFontSmallest; ++chosen) {
    CommandContext context;
    context.fontCommand = chosen;
    for (int command = kCmdFontLargest; command <= kCmdFontSmallest; ++command) {
      EXPECT_EQ(FontCommandChecked(command, chosen), command == chosen) << chosen << command;
      const CommandUiState state = CommandStateFor(command, context);
      EXPECT_TRUE(state.enabled) << command;
      EXPECT_EQ(state.checked, command == chosen) << chosen << command;
    }
    int checkedItems = 0;
    for (const FontMenuItem& item : FontMenuItems())
      checkedItems += FontCommandChecked(item.command, chosen) ? 1 : 0;
    EXPECT_EQ(checkedItems, 1);
  }
  EXPECT_FALSE(FontCommandChecked(57607, 57607));
  EXPECT_FALSE(FontCommandChecked(kCmdFontMedium, 0));
}

}  // namespace
}  // namespace quire
