// The Windows-1252 code page: which character each byte stands for, and back.
#ifndef QUIRE_PLATFORM_WINDOWS1252_H_
#define QUIRE_PLATFORM_WINDOWS1252_H_

#include <cstdint>

namespace quire {

// The code point of byte `byte`; 0 for the five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D).
uint32_t Windows1252ToCodePoint(uint8_t byte);

// The byte that stands for `codePoint`; -1 when the code page has no such character.
int CodePointToWindows1252(uint32_t codePoint);

}  // namespace quire

#endif  // QUIRE_PLATFORM_WINDOWS1252_H_
