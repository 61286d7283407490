// UTF-8: well-formed sequences, and the encoding of single code points, for the places
// that turn numeric references, Windows-1252 bytes or decoded escapes into text and that
// change the case of a book's texts.
#ifndef QUIRE_PLATFORM_UTF8_H_
#define QUIRE_PLATFORM_UTF8_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quire {

// Appends the UTF-8 bytes of `codePoint`. Zero, surrogates and values above U+10FFFF
// are not characters one may write and become U+FFFD instead.
void AppendUtf8(uint32_t codePoint, std::string* out);

// The length of the well-formed UTF-8 sequence at `text[at]` (1 to 4), with its code point
// in `codePoint`; 0 when the bytes there are not one (a stray continuation byte, an
// overlong form, a surrogate, a value past U+10FFFF, a sequence cut short), and for `at`
// at or past the end.
size_t DecodeUtf8(std::string_view text, size_t at, uint32_t* codePoint);

// True when the whole of `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace quire

#endif  // QUIRE_PLATFORM_UTF8_H_
