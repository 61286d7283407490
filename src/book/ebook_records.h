// The records a book file holds, as the reader keeps them in memory. Their stored form is
// described in container_format.h.
#ifndef QUIRE_BOOK_EBOOK_RECORDS_H_
#define QUIRE_BOOK_EBOOK_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace quire {

// The 104 bytes at the very end of a book file: where the other blocks lie.
struct EBookTrailer {
  int32_t reserved = 0;
  int32_t settingsPos = 0;
  int32_t reservedListPos = 0;
  int32_t directoryPos = 0;
  int32_t dataBase = 0;  // each file's data offset counts from here
  int32_t variablesPos = 0;
  int32_t splashPos = 0;  // 0 together with splashSize when there is no splash picture
  int32_t splashSize = 0;
  std::string bookId;  // identity text, at most 64 bytes, up to its first zero byte
};

// One entry of the file directory; its index in the directory is the file's index.
struct EBookFile {
  std::string fileName;  // a plain name inside the book folder, case kept
  int32_t reserved = 0;
  int32_t dataOffset = 0;  // from the trailer's data base
  int32_t storedSize = 0;  // stored bytes, after packing
  bool searchable = false;
  bool inContents = false;
  bool packed = false;  // the unscrambled stored bytes are an LZ stream
  std::string title;
  std::string description;
  std::string keywords;
  std::string sortKey;           // orders the table of contents
  bool expandVariables = false;  // page-form references are expanded after extraction
};

// One compile-time variable, written in pages as {name}.
struct EBookVariable {
  std::string name;
  std::string secondText;  // read and not used
  std::string value;
  int32_t reserved = 0;
  int32_t kind = 0;  // 1 or 3: plain text, converted to HTML once at load
};

// Kinds of compile-time variable whose value is plain text.
inline bool IsPlainTextVariableKind(int32_t kind) {
  return kind == 1 || kind == 3;
}

// The reserved text list: read and checked, never used.
struct EBookReservedList {
  std::string first;
  std::string second;
  std::vector<std::string> texts;  // at most 1000
};

// The compile-time variables and the flag that books offer as {isrebranded}.
struct EBookVariableList {
  int32_t rebranded = 0;
  std::vector<EBookVariable> variables;
};

}  // namespace quire

#endif  // QUIRE_BOOK_EBOOK_RECORDS_H_
