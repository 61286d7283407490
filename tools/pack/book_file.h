// Reading an existing book file for list, extract and rebind, through the reader's own
// container code: the file is parsed exactly as the reader parses itself.
#ifndef QUIRE_TOOLS_PACK_BOOK_FILE_H_
#define QUIRE_TOOLS_PACK_BOOK_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "book/ebook_records.h"
#include "book/ebook_settings.h"

namespace quire::pack {

struct BookFile {
  std::string path;
  uint64_t size = 0;  // of the whole file
  EBookSettings settings;
  EBookReservedList reserved;
  std::vector<EBookFile> files;
  EBookTrailer trailer;
  EBookVariableList variables;
};

// Parses the book at `path`. False with `error` when the file cannot be read, has no
// book trailer (not a book, or cut short), or a block is damaged.
bool OpenBookFile(const std::string& path, BookFile* book, std::string* error);

// True when the file ends with a book trailer (both marks in place).
bool HasBookTrailer(const std::string& path);

// Writes the unpacked file of entry `index` into `folder` (ending with '/') under its
// stored name, which must be a plain name. False with `error` when the name is not plain,
// the stored data is cut short or damaged, or the file cannot be written; a partly written
// file is then removed.
bool ExtractBookEntry(const BookFile& book, size_t index, const std::string& folder,
                      std::string* error);

// The splash bitmap, unpacked; empty when the book has none. False with `error` when the
// stored picture is damaged.
bool ReadSplashBitmap(const BookFile& book, std::string* bitmap, std::string* error);

// The size of the program the book is appended to: the bytes before its first block.
uint64_t ReaderImageSize(const BookFile& book);

// The stored size of the splash picture, 0 when there is none.
inline int64_t SplashStoredSize(const BookFile& book) {
  return book.trailer.splashSize;
}

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_BOOK_FILE_H_
