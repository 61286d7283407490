#include "session/book_place.h"

#include <vector>

#include "book/stored_name.h"
#include "pages/file_url.h"
#include "platform/ascii_text.h"
#include "session/book_address.h"

namespace quire {

namespace {

constexpr std::string_view kFileScheme = "file://";

// The non-empty segments of an absolute path with "." dropped and ".." resolved, as the
// web view resolves the folder in a URL made from it.
std::vector<std::string> FolderSegments(std::string_view path) {
  std::vector<std::string> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos)
      end = path.size();
    std::string_view segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty())
        segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.emplace_back(segment);
    }
    start = end + 1;
  }
  return segments;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = AsciiHexValue(text[i + 1]);
      const int low = AsciiHexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

bool IsKeepableFragment(std::string_view fragment) {
  if (fragment.empty() || fragment.size() > kMaxPlaceFragmentBytes)
    return false;
  if (fragment.front() == '!' || fragment.front() == '@')
    return false;
  for (size_t i = 0; i < fragment.size(); ++i) {
    const char c = fragment[i];
    if (c <= ' ' || c >= 0x7F || c == '#' || c == '"' || c == '<' || c == '>' || c == '\\' ||
        c == '`')
      return false;
    if (c == '%') {
      if (i + 2 >= fragment.size())
        return false;
      const int high = AsciiHexValue(fragment[i + 1]);
      const int low = AsciiHexValue(fragment[i + 2]);
      if (high < 8 || low < 0)
        return false;
      i += 2;
    }
  }
  return true;
}

bool IsValidPlace(const BookPlace& place) {
  return IsStoredName(place.name) && (place.fragment.empty() || IsKeepableFragment(place.fragment));
}

std::optional<BookPlace> PlaceOfUrl(const std::string& url, const std::string& bookFolder) {
  if (!IsBookAddress(url, bookFolder))
    return std::nullopt;
  // IsBookAddress has refused other hosts, escaped separators and dot segments, so the
  // decoded path splits as the file system splits it.
  std::string_view rest(url);
  rest.remove_prefix(kFileScheme.size());
  const size_t end = rest.find_first_of("?#");
  const std::vector<std::string> path = FolderSegments(PercentDecoded(rest.substr(0, end)));
  const size_t folderDepth = FolderSegments(bookFolder).size();
  if (path.size() <= folderDepth)
    return std::nullopt;
  BookPlace place;
  for (size_t i = folderDepth; i < path.size(); ++i) {
    if (!place.name.empty())
      place.name += '/';
    place.name += path[i];
  }
  if (!IsStoredName(place.name))
    return std::nullopt;
  const size_t hash = url.find('#');
  if (hash != std::string::npos && IsKeepableFragment(std::string_view(url).substr(hash + 1)))
    place.fragment = url.substr(hash + 1);
  return place;
}

std::string UrlOfPlace(const BookPlace& place, const std::string& bookFolder) {
  std::string folder = bookFolder;
  if (folder.empty() || folder.back() != '/')
    folder += '/';
  std::string url = FileUrlFromPath(folder + place.name);
  if (!place.fragment.empty())
    url += "#" + place.fragment;
  return url;
}

}  // namespace quire
