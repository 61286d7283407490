// Book text on its way to a terminal.
//
// A book's names and texts may hold any byte. Printed as they are, control bytes would
// reach the terminal as commands (escape sequences that move the cursor, rewrite what was
// printed before, retitle the window or answer back), so human-readable output shows them
// in a visible form instead:
//   - line feed, carriage return and tab as \n, \r and \t;
//   - every other byte below 0x20, and 0x7f, as \x and two lower-case hexadecimal digits
//     (ESC is \x1b, NUL is \x00);
//   - in a book's text (TerminalText) a backslash as \\, so that every backslash shown
//     starts an escape and a title that holds the four characters \x1b cannot pass for
//     one that holds ESC.
// Bytes from 0x80 up are shown as they are, so UTF-8 and other 8-bit texts stay
// readable. JSON output escapes on its own and does not use these.
#ifndef QUIRE_TOOLS_PACK_TERMINAL_TEXT_H_
#define QUIRE_TOOLS_PACK_TERMINAL_TEXT_H_

#include <string>
#include <string_view>

namespace quire::pack {

// A name or text of a book, ready to print: control bytes and backslashes escaped.
std::string TerminalText(std::string_view text);

// A message or a line that already carries its own escapes (a manifest line, whose quoted
// values double their backslashes): control bytes escaped, backslashes as they are; with
// `keepLineFeeds` a line feed stays a line break. The last guard before standard error.
std::string TerminalLine(std::string_view text, bool keepLineFeeds = false);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_TERMINAL_TEXT_H_
