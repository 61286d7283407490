#include "session/font_commands.h"

#include "session/frame_commands.h"

namespace quire {

namespace {

const std::array<FontMenuItem, 5> kFontMenu = {{
    {5, "Lar&gest", kCmdFontLargest},
    {4, "&Larger", kCmdFontLarger},
    {3, "&Medium", kCmdFontMedium},
    {2, "&Smaller", kCmdFontSmaller},
    {1, "Sm&allest", kCmdFontSmallest},
}};

}  // namespace

const std::array<FontMenuItem, 5>& FontMenuItems() {
  return kFontMenu;
}

int FontCommandOfMenuId(int id) {
  for (const FontMenuItem& item : kFontMenu) {
    if (item.id == id)
      return item.command;
  }
  return 0;
}

bool FontCommandChecked(int command, int chosenFontCommand) {
  return FontLevelOfCommand(command) >= 0 && command == chosenFontCommand;
}

}  // namespace quire
