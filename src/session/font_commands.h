// The five font-size commands, the Size drop-down that offers them again, and the text
// zoom each one selects.
//
// The view remembers the command of the size last chosen (m_nFontCommand); that command is
// the one checked, in the View menu and in the drop-down alike.
#ifndef QUIRE_SESSION_FONT_COMMANDS_H_
#define QUIRE_SESSION_FONT_COMMANDS_H_

#include <array>

namespace quire {

inline constexpr int kIdFontLargest = 32787;
inline constexpr int kIdFontLarger = 32788;
inline constexpr int kIdFontMedium = 32789;
inline constexpr int kIdFontSmaller = 32790;
inline constexpr int kIdFontSmallest = 32791;

// Zoom levels run from 0 (smallest) to 4 (largest); 2 is the medium size.
inline constexpr int kMediumZoomLevel = 2;

// The zoom level of a font command; -1 for any other command.
int ZoomLevelOfFontCommand(int command);
// The font command of a zoom level; 0 for a level outside 0 to 4.
int FontCommandOfZoomLevel(int level);
// The text zoom factor of a zoom level (1.0 for level 2); levels outside 0 to 4 are
// clamped.
double TextZoomFactor(int level);
// Whether the menu item or drop-down item of `command` shows a check mark while the view's
// chosen font command is `chosenFontCommand`.
inline bool FontCommandChecked(int command, int chosenFontCommand) {
  return ZoomLevelOfFontCommand(command) >= 0 && command == chosenFontCommand;
}

// One item of the Size drop-down: its id (5 largest down to 1 smallest; 0 means the menu
// was dismissed), its menu text and the font command it selects.
struct FontMenuItem {
  int id;
  const char* text;
  int command;
};
const std::array<FontMenuItem, 5>& FontMenuItems();
// The font command a drop-down id selects; 0 for 0 (dismissed) and unknown ids.
int FontCommandOfMenuId(int id);

}  // namespace quire

#endif  // QUIRE_SESSION_FONT_COMMANDS_H_
