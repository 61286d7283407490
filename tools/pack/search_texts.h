// The search texts of a book being written: the visible text of every searchable page,
// stored as one entry so that the reader searches what its pages show without parsing
// them (search_text_store.h).
#ifndef QUIRE_TOOLS_PACK_SEARCH_TEXTS_H_
#define QUIRE_TOOLS_PACK_SEARCH_TEXTS_H_

#include <string>

#include "book/book_writer.h"

namespace quire::pack {

// Records "search=visible-text" in `bookSpec` and appends the entry kSearchTextEntry made
// from its files, written into `scratchFolder` (which ends with '/' and must outlive the
// writing of the book). Pages are read one at a time, from memory or from their source
// files. A page whose variables are expanded when the book opens gets no stored text (the
// reader reads its extracted file). False with `error` when a page cannot be read, the
// entry cannot be written, or a file of the book already has the entry's name.
bool AddSearchTexts(BookSpec* bookSpec, const std::string& scratchFolder, std::string* error);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SEARCH_TEXTS_H_
