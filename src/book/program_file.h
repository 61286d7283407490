// Which extracted files are programs: the reader gives those its owner's execute
// permission, so that a book's RUN('{ebook}tool.sh') starts them as the book meant.
#ifndef QUIRE_BOOK_PROGRAM_FILE_H_
#define QUIRE_BOOK_PROGRAM_FILE_H_

#include <cstddef>
#include <string_view>

namespace quire {

// How many first bytes IsProgramStart needs.
inline constexpr size_t kProgramHeadBytes = 4;

// True when a file beginning with `head` is a program: an ELF file ("\x7f" "ELF") or a
// script whose first line starts with "#!".
bool IsProgramStart(std::string_view head);

}  // namespace quire

#endif  // QUIRE_BOOK_PROGRAM_FILE_H_
