// Reading an existing book file for list, extract and rebind, through the reader's own
// container code: the file is parsed exactly as the reader parses itself.
#ifndef QUIRE_TOOLS_PACK_BOOK_FILE_H_
#define QUIRE_TOOLS_PACK_BOOK_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "book/ebook_records.h"
#include "book/ebook_settings.h"
#include "book/stored_name.h"

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

// What the reader does with each of the book's names (CheckEntryNames, in directory
// order): a book that carries the feature record keeps folders, any other book its plain
// names only.
std::vector<EntryName> BookEntryNames(const BookFile& book);

// Writes the unpacked file of entry `index` into `fd` (an empty file open for writing),
// whatever its name. False with `error` when the stored data lies outside the file, is
// cut short or damaged, or cannot be written.
bool WriteBookEntry(const BookFile& book, size_t index, int fd, std::string* error);

// Writes it into a new file `path` (mode 0600, never through a link); a partly written
// file is removed again.
bool WriteBookEntryTo(const BookFile& book, size_t index, const std::string& path,
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
