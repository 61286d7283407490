// Small text conversions shared by the generated pages and the script interpreter. All
// work on byte strings; only ASCII bytes are ever changed.
#ifndef QUIRE_PAGES_HTML_TEXT_H_
#define QUIRE_PAGES_HTML_TEXT_H_

#include <cstdint>
#include <string>

namespace quire {

// Plain text to HTML that shows the same way: "&", "<", ">" and '"' become entities; a
// tab counts as four spaces; CR LF, CR and LF each become "<BR>", and the spaces and tabs
// at the end of every line are dropped; every run of two or more spaces becomes as many
// "&nbsp;", while a single space between words stays. Runs in linear time.
std::string TextToHtml(const std::string& text);

// The same conversion done in place on `*text`. Always returns true.
bool TextToHtml(std::string* text);

// An escaped copy for use inside HTML: "&", '"', ">" and "<" become entities (an existing
// entity's "&" is escaped again). Spaces and line breaks are kept.
std::string EscapeHtml(const std::string& text);

// A colour reference (red in bits 0-7, green 8-15, blue 16-23; the top byte ignored) as
// six upper-case hexadecimal digits, red first, without "#".
std::string ColorToHex(int32_t colour);

// Two upper-case hexadecimal digits of the low byte of `value`, high nibble first.
std::string ByteToHex(int32_t value);

// One of "0123456789ABCDEF" for 0 to 15; only the low four bits of `value` are used.
std::string NibbleToHex(int32_t value);

// Decimal, as "%d" writes it.
std::string IntToText(int32_t value);

// "1" for any non-zero value, "0" for zero.
std::string BoolToText(int32_t value);

}  // namespace quire

#endif  // QUIRE_PAGES_HTML_TEXT_H_
