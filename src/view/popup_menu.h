// Small pop-up menus that return the chosen item instead of sending a command: the page's
// own right-click menu and the Size and Contents drop-downs of the toolbar.
#ifndef QUIRE_VIEW_POPUP_MENU_H_
#define QUIRE_VIEW_POPUP_MENU_H_

#include <gtk/gtk.h>

#include <string>
#include <vector>

namespace quire {

// One item. Id 0 is a separator. `text` marks its access key with '&' ("&&" is a literal
// ampersand). A checkable item shows a check mark when `checked`; checkable items that
// are `radio` form one group of which one is chosen.
struct PopupItem {
  int id = 0;
  std::string text;
  bool enabled = true;
  bool checkable = false;
  bool checked = false;
  bool radio = false;
  bool IsSeparator() const { return id == 0; }
};

// Shows `items` and waits (running the main loop) until one is chosen or the menu is
// dismissed. Placed below `anchor` when it is given (a toolbar button), else at the
// pointer of `trigger` (the click or key that asked for it; may be null). `owner` is the
// widget the menu belongs to. Returns the chosen item's id; 0 when the menu was
// dismissed or could not be shown.
int RunPopupMenu(const std::vector<PopupItem>& items, GtkWidget* owner, GtkWidget* anchor,
                 const GdkEvent* trigger);

}  // namespace quire

#endif  // QUIRE_VIEW_POPUP_MENU_H_
