// Which encoding a book's texts are in: UTF-8 when every text of its settings and its
// directory is well-formed UTF-8, else Windows-1252. Case mapping (text_case.h), the web
// view's default character set and the search all follow it.
#ifndef QUIRE_BOOK_BOOK_TEXT_ENCODING_H_
#define QUIRE_BOOK_BOOK_TEXT_ENCODING_H_

#include <vector>

#include "book/ebook_records.h"
#include "book/ebook_settings.h"
#include "platform/text_case.h"

namespace quire {

// Looks at the title, author, author e-mail and address, publisher, copyright, start-up
// message and scripts, exit script, and every file's name, title, description and keywords.
TextEncoding BookTextEncoding(const EBookSettings& settings, const std::vector<EBookFile>& files);

}  // namespace quire

#endif  // QUIRE_BOOK_BOOK_TEXT_ENCODING_H_
