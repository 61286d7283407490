// A place inside the book: a stored name and, optionally, a fragment naming a spot on that
// page ("library/os.html" and "os.getcwd"). What the reader remembers between runs (the
// last page, bookmarks) is kept as places, never as paths or URLs, so that nothing read
// back can lead outside the book or carry a script link.
#ifndef QUIRE_SESSION_BOOK_PLACE_H_
#define QUIRE_SESSION_BOOK_PLACE_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quire {

// The longest fragment a place keeps.
inline constexpr size_t kMaxPlaceFragmentBytes = 512;

struct BookPlace {
  std::string name;      // a stored name (stored_name.h)
  std::string fragment;  // without the '#'; empty for the top of the page

  bool operator==(const BookPlace&) const = default;
};

// True when `fragment` may be kept: 1 to kMaxPlaceFragmentBytes bytes of printable ASCII
// other than space, '#', '"', '<', '>', '\' and '`'; a '%' only as the escape of a byte
// from 0x80 up (two hex digits), so no escape can spell a marker; and not beginning with
// '!' or '@', which with the '#' before them would make the address a script link.
bool IsKeepableFragment(std::string_view fragment);

// True when `place` names a valid stored name and its fragment is empty or keepable.
bool IsValidPlace(const BookPlace& place);

// The place `url` shows when it is a file URL of a file below `bookFolder` (see
// IsBookAddress): the path below the folder, percent-decoded, as the stored name, and the
// URL's fragment when it is keepable (else none). Nothing for any other URL, and for a
// path that is no valid stored name.
std::optional<BookPlace> PlaceOfUrl(const std::string& url, const std::string& bookFolder);

// The file URL of `place` in `bookFolder` (an absolute path; a trailing '/' is optional),
// with its fragment.
std::string UrlOfPlace(const BookPlace& place, const std::string& bookFolder);

}  // namespace quire

#endif  // QUIRE_SESSION_BOOK_PLACE_H_
