#include "session/font_commands.h"

namespace quire {

namespace {

// Smallest to largest. Medium is the page's own size; the steps follow the classic
// browser text sizes.
constexpr double kZoomFactors[5] = {0.75, 0.875, 1.0, 1.25, 1.5};

const std::array<FontMenuItem, 5> kFontMenu = {{
    {5, "Lar&gest", kIdFontLargest},
    {4, "&Larger", kIdFontLarger},
    {3, "&Medium", kIdFontMedium},
    {2, "&Smaller", kIdFontSmaller},
    {1, "Sm&allest", kIdFontSmallest},
}};

}  // namespace

int ZoomLevelOfFontCommand(int command) {
  if (command < kIdFontLargest || command > kIdFontSmallest)
    return -1;
  return kIdFontSmallest - command;
}

int FontCommandOfZoomLevel(int level) {
  if (level < 0 || level > 4)
    return 0;
  return kIdFontSmallest - level;
}

double TextZoomFactor(int level) {
  if (level < 0)
    level = 0;
  if (level > 4)
    level = 4;
  return kZoomFactors[level];
}

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

}  // namespace quire
