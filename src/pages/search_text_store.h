// The search texts that quire-pack stores in a book: the visible text (visible_text.h) of
// each searchable page, made once when the book is built, so that a search reads one
// compact entry of the book file instead of parsing every page.
//
// They are the book entry named kSearchTextEntry (book_features.h), stored like any entry
// (scrambled, LZ- packed when its flag says so) and never extracted: the reader reads it from its
// own file while it searches. Its bytes, integers 32-bit little-endian:
//   0   "QST1"
//   4   count N of pages
//   8   N records of 12 bytes: directory index, Fnv1a32 of the page's stored name, length
//       of its text in bytes; directory indexes strictly increasing
//   8 + 12 N   the texts, one after another in record order
// The reader takes nothing on trust: a record whose index is out of range or not
// increasing, whose entry is not searchable or asks for its variables to be expanded, or
// whose name hash differs is passed over (its page is then read from its extracted file);
// a length that runs past the end, a damaged or short stream, ends the texts there.
#ifndef QUIRE_PAGES_SEARCH_TEXT_STORE_H_
#define QUIRE_PAGES_SEARCH_TEXT_STORE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "book/book_features.h"
#include "book/book_input.h"
#include "book/ebook_records.h"

namespace quire {

inline constexpr char kSearchTextMagic[] = "QST1";
inline constexpr size_t kSearchTextHeaderSize = 8;
inline constexpr size_t kSearchTextRecordSize = 12;
// No page's text is taken longer than this; a longer one ends the texts.
inline constexpr uint32_t kMaxStoredPageText = 64u << 20;

uint32_t Fnv1a32(std::string_view bytes);

// The whole entry for `texts` as bytes (indexes, names and texts in order), as quire-pack
// writes it (page by page, see tools/pack/search_text_writer.h): for tests.
struct PageText {
  uint32_t index;
  std::string name;
  std::string text;
};
std::string SearchTextBytes(const std::vector<PageText>& texts);

// Reads the search texts stored as `size` bytes at `position` of `in` (an LZ stream when
// `packed`, scrambled either way) and hands each page's text to `visit` with its directory
// index, in directory order, for the pages of `directory` that may have one (see above).
// The text stays valid during the call only. Returns true when the texts were read to
// their end, false when they are damaged or could not be read (`visit` has then seen the
// pages before the damage).
using VisitPageText = std::function<void(size_t index, std::string_view text)>;
bool ReadSearchTexts(const BookInput& in, int64_t position, int64_t size, bool packed,
                     const std::vector<EBookFile>& directory, const VisitPageText& visit);

// The same over bytes already unscrambled and unpacked.
bool ReadSearchTextBytes(std::string_view bytes, const std::vector<EBookFile>& directory,
                         const VisitPageText& visit);

}  // namespace quire

#endif  // QUIRE_PAGES_SEARCH_TEXT_STORE_H_
