#include "session/book_address.h"

#include <string_view>
#include <vector>

#include "platform/ascii_text.h"

namespace quire {

namespace {

constexpr std::string_view kFileScheme = "file://";

// The segments of an absolute path, empty and "." ones dropped, ".." resolved. False for a
// path that is not absolute or climbs above the root.
bool NormalFolderSegments(const std::string& path, std::vector<std::string>* segments) {
  if (path.empty() || path.front() != '/')
    return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos)
      end = path.size();
    std::string segment = path.substr(start, end - start);
    if (segment == "..") {
      if (segments->empty())
        return false;
      segments->pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments->push_back(std::move(segment));
    }
    start = end + 1;
  }
  return true;
}

// Undoes every well-formed percent escape. False when one of them stands for a byte that
// would change how the path splits ('/', '\') or end it early (NUL).
bool DecodePath(std::string_view path, std::string* decoded) {
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (c == '%' && i + 2 < path.size()) {
      int high = AsciiHexValue(path[i + 1]);
      int low = AsciiHexValue(path[i + 2]);
      if (high >= 0 && low >= 0) {
        c = static_cast<char>(high * 16 + low);
        if (c == '/' || c == '\\' || c == '\0')
          return false;
        i += 2;
      }
    } else if (c == '\\') {
      return false;
    }
    *decoded += c;
  }
  return true;
}

}  // namespace

bool IsBookAddress(const std::string& url, const std::string& bookFolder) {
  std::vector<std::string> folder;
  if (!NormalFolderSegments(bookFolder, &folder) || folder.empty())
    return false;
  if (!StartsWithIgnoringCase(url, kFileScheme) || url.size() <= kFileScheme.size() ||
      url[kFileScheme.size()] != '/')
    return false;  // another host, or no path
  std::string_view path(url);
  path.remove_prefix(kFileScheme.size() + 1);
  path = path.substr(0, path.find_first_of("?#"));
  std::string decoded;
  if (!DecodePath(path, &decoded))
    return false;
  // The folder's segments in order, then at least one more. Empty segments mean nothing
  // to the file system and are skipped, as in the folder.
  size_t index = 0;
  size_t start = 0;
  while (start <= decoded.size()) {
    size_t end = decoded.find('/', start);
    if (end == std::string::npos)
      end = decoded.size();
    std::string_view segment(decoded.data() + start, end - start);
    start = end + 1;
    if (segment.empty())
      continue;
    if (segment == "." || segment == "..")
      return false;
    if (index < folder.size() && segment != folder[index])
      return false;
    ++index;
  }
  return index > folder.size();
}

}  // namespace quire
