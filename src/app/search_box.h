// The search box: an entry at the end of the toolbar that searches the whole book as the
// search dialog does. Where the toolbar has no room for it, it goes into the toolbar's
// overflow menu as "Search this E-Book...", which opens the dialog.
#ifndef QUIRE_APP_SEARCH_BOX_H_
#define QUIRE_APP_SEARCH_BOX_H_

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace quire {

class SearchBox {
 public:
  // `search` gets the words typed (UTF-8, not empty); `openDialog` asks with the dialog;
  // `leave` gives the focus back to the page (Esc).
  SearchBox(std::function<void(const std::string& words)> search, std::function<void()> openDialog,
            std::function<void()> leave);
  ~SearchBox();
  SearchBox(const SearchBox&) = delete;
  SearchBox& operator=(const SearchBox&) = delete;

  // Puts the box at the end of `toolbar`.
  void AddTo(GtkToolbar* toolbar);
  // The box is on screen now: its toolbar shows and has room for it.
  bool Showing() const;
  // Puts the focus in the box with its text selected, so typing replaces it.
  void Focus();
  GtkWidget* Entry() const { return m_entry; }

 private:
  std::function<void(const std::string&)> m_search;
  std::function<void()> m_openDialog;
  std::function<void()> m_leave;
  GtkToolItem* m_item = nullptr;
  GtkWidget* m_entry = nullptr;
};

}  // namespace quire

#endif  // QUIRE_APP_SEARCH_BOX_H_
