// What the reader remembers of the books it has shown, per book id: the last page, the
// text size, whether the contents pane showed, and the bookmarks. This is the text form of
// the one file the reader keeps of its own for it (reading_memory.h says where).
//
// The file is untrusted input: another program, another version or a damaged disk may
// have written it. It is text, one record a line, its fields separated by tabs:
//
//   quire-reading-state 1
//   book  <book id>  <seconds since 1970 when last saved>
//   page  <stored name>  <fragment>
//   size  <0 to 4>
//   pane  yes | no
//   mark  <stored name>  <fragment>  <title>
//
// Every field escapes '%', the control bytes and DEL as "%XX". The lines after a "book"
// line belong to that book. Reading keeps what holds up and drops the rest: a file that
// does not begin with the header line, or is longer than kMaxReadingStateBytes, gives
// nothing; a line that breaks a rule (an unknown record, a wrong field count, a bad
// escape, a name that is no valid stored name, a fragment that could carry a script link,
// a title that is not UTF-8 or holds a control character, a number out of range) is
// dropped, and a dropped "book" line takes the lines after it along. Places are checked
// against the book itself by the reader before use.
#ifndef QUIRE_SESSION_READING_STATE_H_
#define QUIRE_SESSION_READING_STATE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "session/book_place.h"

namespace quire {

inline constexpr char kReadingStateHeader[] = "quire-reading-state 1";
// Bounds of what is read and written: the whole file, the books it remembers (the most
// recently used are kept), the bookmarks of one book, the bytes of a bookmark's title and
// of a book id.
inline constexpr size_t kMaxReadingStateBytes = 2 * 1024 * 1024;
inline constexpr size_t kMaxRememberedBooks = 200;
inline constexpr size_t kMaxBookmarks = 500;
inline constexpr size_t kMaxBookmarkTitleBytes = 256;
inline constexpr size_t kMaxBookIdBytes = 64;

struct Bookmark {
  BookPlace place;
  std::string title;  // UTF-8, no control characters; may be empty

  bool operator==(const Bookmark&) const = default;
};

struct BookReading {
  int64_t used = 0;  // seconds since 1970 when last saved
  std::optional<BookPlace> lastPage;
  std::optional<int> textSize;  // 0 smallest to 4 largest
  std::optional<bool> contentsPane;
  std::vector<Bookmark> bookmarks;  // in the order they were made, no place twice

  bool operator==(const BookReading&) const = default;
  // Nothing worth keeping.
  bool Empty() const;
};

// By book id.
using ReadingStates = std::map<std::string, BookReading>;

// The states `text` holds (see above). A book id that appears twice keeps its first
// record; a bookmark beyond kMaxBookmarks or for a place marked before is dropped.
ReadingStates ParseReadingStates(std::string_view text);

// The file's text for `states`: books with nothing to keep are left out, and of the rest
// the kMaxRememberedBooks most recently used (the newest first), as many as fit in
// kMaxReadingStateBytes. Parsing the text gives back what was written.
std::string WriteReadingStates(const ReadingStates& states);

// `title` as a bookmark may keep it: invalid UTF-8 and control characters replaced by
// spaces and cut to kMaxBookmarkTitleBytes at a character boundary.
std::string BookmarkTitle(std::string_view title);

}  // namespace quire

#endif  // QUIRE_SESSION_READING_STATE_H_
