// Local paths as file URLs, for links in generated pages and for the web view.
#ifndef QUIRE_PAGES_FILE_URL_H_
#define QUIRE_PAGES_FILE_URL_H_

#include <string>

namespace quire {

// "file://" followed by `path` with every byte percent-encoded (upper-case hex) except
// ASCII letters, digits, "-", ".", "_", "~" and "/". So '"', '#', '%', '?', '&', spaces
// and non-ASCII bytes in a folder or file name reach the file itself, and the result
// needs no further escaping inside an HTML attribute. `path` should be absolute; a
// relative one is encoded all the same.
std::string FileUrlFromPath(const std::string& path);

// The HREF of a generated page's link to a book file: `path` itself when every byte of it
// is printable ASCII other than '"', '#', '%', '&', '?', '\', '<' and '>', with no space
// at its end (so the pages of a book stay byte for byte as they always were), else
// FileUrlFromPath(path), so that such a byte, a control byte or a non-ASCII byte in an
// ESBN or file name cannot break the link.
std::string PageLinkFromPath(const std::string& path);

}  // namespace quire

#endif  // QUIRE_PAGES_FILE_URL_H_
