// Text the user typed into the toolkit (UTF-8), on its way back into the book's own
// encoding, so that search words meet the bytes of the book's pages.
#ifndef QUIRE_SESSION_TYPED_TEXT_H_
#define QUIRE_SESSION_TYPED_TEXT_H_

#include <string>

namespace quire {

// `typed` itself for a book whose texts are UTF-8. Otherwise the book is read as
// Windows-1252: each character becomes its byte in that code page, and a character the
// code page lacks becomes '?'. Bytes that are not valid UTF-8 are kept as they are.
std::string TypedTextForBook(const std::string& typed, bool bookIsUtf8);

}  // namespace quire

#endif  // QUIRE_SESSION_TYPED_TEXT_H_
