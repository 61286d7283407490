// Book texts on their way to the toolkit: titles, menu items and dialog texts.
//
// Books store byte strings. The toolkit wants UTF-8, and menus mark their access keys
// with '_' where books write '&'.
#ifndef QUIRE_UI_DISPLAY_TEXT_H_
#define QUIRE_UI_DISPLAY_TEXT_H_

#include <string>

namespace quire {

// `bytes` unchanged when it is valid UTF-8; otherwise read as Windows-1252 and converted
// (the five unassigned bytes of that code page become U+FFFD). Never fails.
std::string DisplayText(const std::string& bytes);

// A menu text with '&' access keys ("&Back", "Select &All", "Fish && Chips") as a toolkit
// mnemonic label: "&x" becomes "_x", "&&" a literal '&', a literal '_' is doubled, and a
// trailing lone '&' is dropped. The text is also passed through DisplayText.
std::string MnemonicLabel(const std::string& menuText);

}  // namespace quire

#endif  // QUIRE_UI_DISPLAY_TEXT_H_
