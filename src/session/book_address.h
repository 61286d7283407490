// Whether an address the web view is about to load names a file of this reader's book.
#ifndef QUIRE_SESSION_BOOK_ADDRESS_H_
#define QUIRE_SESSION_BOOK_ADDRESS_H_

#include <string>

namespace quire {

// True when `url` is a "file:" URL with no host whose path names something strictly below
// `bookFolder` (an absolute folder path; a trailing '/' is optional). The path ends at the
// first '?' or '#' and is compared after percent-decoding, so the URL may escape the
// folder's bytes as it likes. Refused: another host ("file://host/"), a path holding a
// "." or ".." segment in any spelling ("%2e%2e"), an escaped '/', '\' or NUL, a path that
// only begins with the folder's name ("/t/B.k9w-2/" for "/t/B.k9w/"), and everything when
// `bookFolder` is empty or relative. Empty segments count on neither side; the folder's own
// "." and ".." segments are resolved, as the web view resolves them in a URL made from it.
bool IsBookAddress(const std::string& url, const std::string& bookFolder);

}  // namespace quire

#endif  // QUIRE_SESSION_BOOK_ADDRESS_H_
