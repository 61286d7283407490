// Upper and lower case of a book's texts, the one place that knows how.
//
// Texts are bytes. In a UTF-8 book every well-formed UTF-8 sequence is mapped by Unicode's
// simple case mapping (one character to one character, so "ß" stays, "ǅ" becomes "Ǆ") and
// every other byte stays as it is; a character's mapping may have another length in bytes
// ("ı" becomes "I"), so lengths may change. In a Windows-1252 book each byte is read as
// that code page's character and becomes the byte of its mapping when the code page has
// one ("é" 0xE9 becomes "É" 0xC9; "µ" stays, since its upper case is not in the code page).
//
// File names, URL schemes, keywords and other names that mean ASCII use ascii_text.h.
#ifndef QUIRE_PLATFORM_TEXT_CASE_H_
#define QUIRE_PLATFORM_TEXT_CASE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quire {

enum class TextEncoding { kUtf8, kWindows1252 };

std::string UpperCased(std::string_view text, TextEncoding encoding);
std::string LowerCased(std::string_view text, TextEncoding encoding);

// Upper-cases the ASCII letters of `text` in place, eight bytes at a time; other bytes stay.
void FoldAsciiCase(char* text, size_t length);

// What UpperCased(text) gives, into `out` (replaced), made for long texts that are mostly
// ASCII: runs of ASCII are folded eight bytes at a time and only the bytes above them are
// looked up. True when every character kept its length in bytes (then offsets in `out`
// are offsets in `text`), false when some character's mapping has another length. `text`
// must not lie inside `out`.
bool FoldCase(std::string_view text, TextEncoding encoding, std::string* out);

// FoldCase in place, as far as it can go: returns `length` when the whole text is folded,
// else the offset of the first character whose mapping has another length (the bytes
// before it are folded, it and the rest are as they were).
size_t FoldCaseInPlace(char* text, size_t length, TextEncoding encoding);

// The offset in `text` of the character that begins at `foldedOffset` in its FoldCase;
// the end of `text` for an offset at or past the end of the folded text.
size_t FoldedOffsetToOriginal(std::string_view text, size_t foldedOffset, TextEncoding encoding);

}  // namespace quire

#endif  // QUIRE_PLATFORM_TEXT_CASE_H_
