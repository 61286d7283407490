// The toolbar's Size drop-down: the five font sizes again, with the size last chosen
// checked as in the View menu.
#ifndef QUIRE_SESSION_FONT_COMMANDS_H_
#define QUIRE_SESSION_FONT_COMMANDS_H_

#include <array>

namespace quire {

// One item of the drop-down: its id (5 largest down to 1 smallest; 0 means the menu was
// dismissed), its menu text and the font command it selects.
struct FontMenuItem {
  int id;
  const char* text;
  int command;
};
const std::array<FontMenuItem, 5>& FontMenuItems();

// The font command a drop-down id selects; 0 for 0 (dismissed) and unknown ids.
int FontCommandOfMenuId(int id);

// Whether the item of font command `command` shows a check mark while the view's chosen
// font command is `chosenFontCommand`; false for any command that is not a font command.
bool FontCommandChecked(int command, int chosenFontCommand);

}  // namespace quire

#endif  // QUIRE_SESSION_FONT_COMMANDS_H_
