// How a message box style word is read: its buttons and the icon it shows.
#ifndef QUIRE_UI_MESSAGE_STYLE_H_
#define QUIRE_UI_MESSAGE_STYLE_H_

#include "ui/reader_window.h"

namespace quire {

// The icon bits a box of `style` shows (kMbIcon... or 0 for none). A style that names an
// icon keeps it; one without gets the exclamation icon for the OK, OK/Cancel,
// Yes/No/Cancel and Yes/No buttons, and no icon for Abort/Retry/Ignore and Retry/Cancel.
int EffectiveIcon(int style);

}  // namespace quire

#endif  // QUIRE_UI_MESSAGE_STYLE_H_
