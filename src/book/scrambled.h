// The scrambled integers and texts of a book's records, read and written.
//
// A scrambled integer is 4 bytes, each XORed with the record key 0x5E, then read as a
// little-endian 32-bit value. A scrambled text is a scrambled integer N followed by N
// bytes XORed with the record key; the text ends at its first zero byte if it has one.
#ifndef QUIRE_BOOK_SCRAMBLED_H_
#define QUIRE_BOOK_SCRAMBLED_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "book/book_input.h"

namespace quire {

// True when 4 bytes were read.
bool ReadScrambledInt(BookInput& in, int32_t* value);
// True when the length and all N bytes were read. A negative length, or one beyond the
// bytes that remain in the file, fails without allocating.
bool ReadScrambledText(BookInput& in, std::string* text);
// True when an integer was read and equals `expected`.
bool ExpectScrambledInt(BookInput& in, uint32_t expected);

// Writer side: appends the stored form.
void AppendScrambledInt(std::string* out, int32_t value);
void AppendScrambledText(std::string* out, std::string_view text);

// XORs every byte of [data, data + size) with `key`, in place.
void XorBytes(void* data, size_t size, uint8_t key);

}  // namespace quire

#endif  // QUIRE_BOOK_SCRAMBLED_H_
