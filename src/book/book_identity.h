// What tells one book file from another that carries the same book id.
#ifndef QUIRE_BOOK_BOOK_IDENTITY_H_
#define QUIRE_BOOK_BOOK_IDENTITY_H_

#include <string>

#include "book/ebook_records.h"

namespace quire {

// Sixteen hexadecimal digits of a hash over the size of the book file at `path`, its
// trailer, and the first 64 KiB at the settings record and at the directory that
// `trailer` (read from that file) points to: what differs between two builds of a book
// (compile time, files, sizes) while copies of one file agree. Reads at most about
// 128 KiB whatever the book's size. Empty when the file cannot be read.
std::string BookFileIdentity(const std::string& path, const EBookTrailer& trailer);

}  // namespace quire

#endif  // QUIRE_BOOK_BOOK_IDENTITY_H_
