// The "Bookmarks" menu: its commands (given by the frame), a sub-menu to remove a
// bookmark, and the bookmarks themselves, kept in line with the reading memory.
//
//   Bookmark This Page      Ctrl+D
//   Remove Bookmark       >  (one item per bookmark)
//   --------
//   one item per bookmark, or "(No Bookmarks)" greyed
//   --------
//   Forget Where I Left Off
#ifndef QUIRE_APP_BOOKMARKS_MENU_H_
#define QUIRE_APP_BOOKMARKS_MENU_H_

#include <gtk/gtk.h>

#include <functional>
#include <vector>

#include "session/reading_state.h"

namespace quire {

class BookmarksMenu {
 public:
  // Open or remove the bookmark at `index` of the list last shown.
  using Act = std::function<void(size_t index)>;

  BookmarksMenu(Act open, Act remove);
  ~BookmarksMenu();
  BookmarksMenu(const BookmarksMenu&) = delete;
  BookmarksMenu& operator=(const BookmarksMenu&) = delete;

  // Fills `menu` with `addItem`, the sub-menu, the list and `forgetItem`.
  void Build(GtkMenuShell* menu, GtkWidget* addItem, GtkWidget* forgetItem);
  // Lists `bookmarks` (in the menu and in the sub-menu).
  void Show(const std::vector<Bookmark>& bookmarks);
  // The menu is gone (the book hides the menu bar, or the window closed).
  void Forget();

 private:
  static GtkWidget* NewItem(const Bookmark& bookmark);
  // Takes the listed items out.
  void Clear();

  Act m_open;
  Act m_remove;
  GtkMenuShell* m_menu = nullptr;
  GtkWidget* m_removeItem = nullptr;
  GtkWidget* m_removeMenu = nullptr;  // the sub-menu of m_removeItem
  GtkWidget* m_listEnd = nullptr;     // the separator after the list
  std::vector<GtkWidget*> m_listed;   // held until taken out
};

}  // namespace quire

#endif  // QUIRE_APP_BOOKMARKS_MENU_H_
