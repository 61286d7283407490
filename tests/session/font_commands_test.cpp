#include "session/font_commands.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(FontCommandsTest, CommandsMapToZoomLevelsAndBack) {
  struct Case {
    int command;
    int level;
    int menuId;
  };
  const Case cases[] = {
      {32787, 4, 5}, {32788, 3, 4}, {32789, 2, 3}, {32790, 1, 2}, {32791, 0, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ZoomLevelOfFontCommand(c.command), c.level) << c.command;
    EXPECT_EQ(FontCommandOfZoomLevel(c.level), c.command) << c.level;
    EXPECT_EQ(FontCommandOfMenuId(c.menuId), c.command) << c.menuId;
  }
  for (int other : {0, 32786, 32792, 57607})
    EXPECT_EQ(ZoomLevelOfFontCommand(other), -1) << other;
  for (int level : {-1, 5})
    EXPECT_EQ(FontCommandOfZoomLevel(level), 0) << level;
  for (int id : {0, 6, -1})
    EXPECT_EQ(FontCommandOfMenuId(id), 0) << id;
}

TEST(FontCommandsTest, MediumIsThePagesOwnSizeAndSizesGrowWithTheLevel) {
  EXPECT_DOUBLE_EQ(TextZoomFactor(kMediumZoomLevel), 1.0);
  for (int level = 1; level <= 4; ++level)
    EXPECT_GT(TextZoomFactor(level), TextZoomFactor(level - 1)) << level;
  EXPECT_DOUBLE_EQ(TextZoomFactor(-3), TextZoomFactor(0));
  EXPECT_DOUBLE_EQ(TextZoomFactor(9), TextZoomFactor(4));
}

TEST(FontCommandsTest, OnlyTheChosenCommandIsChecked) {
  for (int chosen = kIdFontLargest; chosen <= kIdFontSmallest; ++chosen) {
    for (int command = kIdFontLargest; command <= kIdFontSmallest; ++command)
      EXPECT_EQ(FontCommandChecked(command, chosen), command == chosen) << chosen << command;
    // The Size drop-down checks the same size as the menu bar.
    int checkedItems = 0;
    for (const FontMenuItem& item : FontMenuItems())
      checkedItems += FontCommandChecked(item.command, chosen) ? 1 : 0;
    EXPECT_EQ(checkedItems, 1);
  }
  EXPECT_FALSE(FontCommandChecked(57607, 57607));
  EXPECT_FALSE(FontCommandChecked(kIdFontMedium, 0));
}

TEST(FontCommandsTest, SizeDropDownListsLargestToSmallest) {
  const char* texts[] = {"Lar&gest", "&Larger", "&Medium", "&Smaller", "Sm&allest"};
  int i = 0;
  for (const FontMenuItem& item : FontMenuItems()) {
    EXPECT_STREQ(item.text, texts[i]);
    EXPECT_EQ(item.id, 5 - i);
    ++i;
  }
}

}  // namespace
}  // namespace quire
