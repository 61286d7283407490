// Readers and writers for the typed values of the manifest: flags, numbers, colours,
// window geometry, page modes, toolbar placement and buttons, shortcut offers.
// Every reader accepts the number the reader stores as well as the friendly words, so
// that any stored value can be written back into a manifest.
#ifndef QUIRE_TOOLS_PACK_MANIFEST_VALUES_H_
#define QUIRE_TOOLS_PACK_MANIFEST_VALUES_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "book/ebook_settings.h"

namespace quire::pack {

// A reader returns false with a short reason ("expected yes or no") when the text does not
// fit; the caller adds where it stood.
using ValueReader = bool (*)(std::string_view text, int32_t* value, std::string* reason);
using ValueWriter = std::string (*)(int32_t value);

// yes/no, true/false, on/off, 1/0 (case ignored). Writes "yes" or "no"; any other non-zero
// stored value as its number.
bool ReadFlag(std::string_view text, int32_t* value, std::string* reason);
std::string WriteFlag(int32_t value);

// A signed 32-bit decimal number.
bool ReadInteger(std::string_view text, int32_t* value, std::string* reason);
std::string WriteInteger(int32_t value);

// "#RRGGBB", "#RGB" or a decimal colour reference (red in the low byte), e.g. -2.
// Writes "#RRGGBB" for a plain colour, else the number.
bool ReadColor(std::string_view text, int32_t* value, std::string* reason);
std::string WriteColor(int32_t value);

// Window width: "maximized" (-1), "minimized" (-2), "system" (-3) or pixels.
bool ReadWindowWidth(std::string_view text, int32_t* value, std::string* reason);
std::string WriteWindowWidth(int32_t value);

// Window position: "centre"/"center" (0), "top-left" (-8), "top" (-1), "top-right" (-2),
// "right" (-3), "bottom-right" (-4), "bottom" (-5), "bottom-left" (-6), "left" (-7), or a
// number.
bool ReadWindowPosition(std::string_view text, int32_t* value, std::string* reason);
std::string WriteWindowPosition(int32_t value);

// Contents and about page mode: "none" (1), "own" (2, the book's own page), "generated"
// (3), or a number.
bool ReadPageMode(std::string_view text, int32_t* value, std::string* reason);
std::string WritePageMode(int32_t value);

// Toolbar placement: "top" (0), "left" (1), "right" (2), "bottom" (3), or a number.
bool ReadToolbarStyle(std::string_view text, int32_t* value, std::string* reason);
std::string WriteToolbarStyle(int32_t value);

// Shortcut offer: "none" (0), "desktop" (-1), "start-menu" (-2), or a number.
bool ReadShortcutOffer(std::string_view text, int32_t* value, std::string* reason);
std::string WriteShortcutOffer(int32_t value);

// Variable kinds: "text" (1, plain text turned into HTML at load), "html" (2, used as
// stored), or a number.
bool ReadVariableKind(std::string_view text, int32_t* value, std::string* reason);
std::string WriteVariableKind(int32_t value);

// Toolbar buttons: "all", "none", or a list (blanks or commas between) of button names
// back forward stop refresh home search contents copy find size print about, and/or flag
// numbers 0 to 12. Listed buttons get show flag 1, the others 0; "all" sets all 13.
bool ReadToolbarButtons(std::string_view text, std::array<int32_t, kToolbarButtonCount>* flags,
                        std::string* reason);
// Writes "all", "none" or the list; flags other than 0 and 1, which a list cannot say,
// make it write the 13 numbers as "=v0,v1,...". ReadToolbarButtons reads that form too.
std::string WriteToolbarButtons(const std::array<int32_t, kToolbarButtonCount>& flags);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_MANIFEST_VALUES_H_
