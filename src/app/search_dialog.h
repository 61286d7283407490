// The "Search" dialog: asks for the words to search the book for.
#ifndef QUIRE_APP_SEARCH_DIALOG_H_
#define QUIRE_APP_SEARCH_DIALOG_H_

#include <gtk/gtk.h>

#include <string>

namespace quire {

// The longest text the entry takes, in characters.
inline constexpr int kSearchEntryMaxLength = 255;

// Runs the modal dialog over `parent` (may be null): the prompt, an entry of at most
// kSearchEntryMaxLength characters, "Case Sensitive" (unchecked), Cancel and OK. OK is
// enabled only while the entry holds text; Enter in the entry presses it. True with the
// text (UTF-8) and the check box's state when the user confirms; false, with the outputs
// untouched, on Cancel, Esc or closing the dialog.
bool RunSearchDialog(GtkWindow* parent, std::string* words, bool* caseSensitive);

}  // namespace quire

#endif  // QUIRE_APP_SEARCH_DIALOG_H_
