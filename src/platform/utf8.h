// UTF-8 encoding of single code points, for the places that turn numeric references,
// Windows-1252 bytes or decoded escapes into text.
#ifndef QUIRE_PLATFORM_UTF8_H_
#define QUIRE_PLATFORM_UTF8_H_

#include <cstdint>
#include <string>

namespace quire {

// Appends the UTF-8 bytes of `codePoint`. Zero, surrogates and values above U+10FFFF
// are not characters one may write and become U+FFFD instead.
void AppendUtf8(uint32_t codePoint, std::string* out);

}  // namespace quire

#endif  // QUIRE_PLATFORM_UTF8_H_
