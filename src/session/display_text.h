// Book texts at the boundary to the toolkit, which wants UTF-8.
#ifndef QUIRE_SESSION_DISPLAY_TEXT_H_
#define QUIRE_SESSION_DISPLAY_TEXT_H_

#include <string>
#include <string_view>

#include "platform/utf8.h"  // IsValidUtf8

namespace quire {

class CEBook;

// `text` itself when it is valid UTF-8, else read as Windows-1252 and converted (the five
// bytes that code page leaves unassigned become U+FFFD).
std::string ToDisplayText(std::string_view text);
// The reverse for a book written in Windows-1252: every well-formed UTF-8 sequence of a
// character that code page has becomes its one byte; anything else (ASCII, characters
// the code page lacks, bytes that are not UTF-8) stays as it is.
std::string Utf8ToWindows1252(std::string_view text);
// The web view's default character set for the loaded book: "UTF-8" when every metadata
// text of the book is valid UTF-8, else "windows-1252".
std::string BookDefaultCharset(const CEBook& book);

}  // namespace quire

#endif  // QUIRE_SESSION_DISPLAY_TEXT_H_
