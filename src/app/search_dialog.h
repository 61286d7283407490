// The "Search" dialog: asks for the words to search the book for.
#ifndef QUIRE_APP_SEARCH_DIALOG_H_
#define QUIRE_APP_SEARCH_DIALOG_H_

#include <gtk/gtk.h>

#include <string>

namespace quire {

// The longest text the entry takes, in characters.
inline constexpr int kSearchEntryMaxLength = 255;

// Makes the modal dialog over `parent` (may be null), shown and ready to run: the prompt,
// an entry of at most kSearchEntryMaxLength characters, "Case Sensitive" (unchecked),
// Cancel and OK. OK (GTK_RESPONSE_OK) is enabled only while the entry holds text; Enter in
// the entry presses it; Esc and closing the dialog answer as Cancel does. The caller runs
// and destroys it.
GtkDialog* NewSearchDialog(GtkWindow* parent);

// The entry's text (UTF-8) and the check box's state of a dialog from NewSearchDialog.
void ReadSearchDialog(GtkDialog* dialog, std::string* words, bool* caseSensitive);

}  // namespace quire

#endif  // QUIRE_APP_SEARCH_DIALOG_H_
