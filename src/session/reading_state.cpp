#include "session/reading_state.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "platform/ascii_text.h"
#include "session/display_text.h"

namespace quire {

namespace {

constexpr char kSeparator = '\t';

bool NeedsEscape(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '%';
}

std::string Escaped(std::string_view field) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(field.size());
  for (char ch : field) {
    const auto c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

// The field's bytes; nothing when a '%' starts no escape, or a byte that must be escaped
// stands as it is (the file was not written by this program).
std::optional<std::string> Unescaped(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (c == '%') {
      if (i + 2 >= field.size())
        return std::nullopt;
      const int high = AsciiHexValue(field[i + 1]);
      const int low = AsciiHexValue(field[i + 2]);
      if (high < 0 || low < 0)
        return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else if (NeedsEscape(c)) {
      return std::nullopt;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t end = line.find(kSeparator, start);
    fields.push_back(line.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos)
      return fields;
    start = end + 1;
  }
}

// The length of the UTF-8 character at the start of `text`, or 0 when it does not start
// with a well-formed one.
size_t Utf8CharLength(std::string_view text) {
  const auto c = static_cast<unsigned char>(text[0]);
  size_t length = c < 0x80                 ? 1
                  : c >= 0xC2 && c <= 0xDF ? 2
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4
                                           : 0;
  if (length == 0 || length > text.size() || !IsValidUtf8(text.substr(0, length)))
    return 0;
  return length;
}

// A control character: C0, DEL or C1 (U+0080 to U+009F, "\xC2\x80" to "\xC2\x9F").
bool IsControlCharacter(std::string_view character) {
  const auto c = static_cast<unsigned char>(character[0]);
  if (character.size() == 1)
    return c < 0x20 || c == 0x7F;
  return c == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

bool IsKeepableTitle(std::string_view title) {
  return title.size() <= kMaxBookmarkTitleBytes && BookmarkTitle(title) == title;
}

std::optional<int64_t> ReadNumber(std::string_view text, int64_t low, int64_t high) {
  int64_t value = 0;
  if (text.empty() || text.size() > 19 || !std::all_of(text.begin(), text.end(), IsAsciiDigit))
    return std::nullopt;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value < low || value > high)
    return std::nullopt;
  return value;
}

std::optional<BookPlace> ReadPlace(std::string_view name, std::string_view fragment) {
  std::optional<std::string> n = Unescaped(name);
  std::optional<std::string> f = Unescaped(fragment);
  if (!n || !f)
    return std::nullopt;
  BookPlace place{std::move(*n), std::move(*f)};
  if (!IsValidPlace(place))
    return std::nullopt;
  return place;
}

// Reads one record of a book into `book`; false when the line breaks a rule.
bool ReadBookLine(const std::vector<std::string_view>& f, BookReading* book) {
  const std::string_view kind = f[0];
  if (kind == "page" && f.size() == 3) {
    if (book->lastPage)
      return false;
    book->lastPage = ReadPlace(f[1], f[2]);
    return book->lastPage.has_value();
  }
  if (kind == "size" && f.size() == 2) {
    std::optional<int64_t> size = ReadNumber(f[1], 0, 4);
    if (!size || book->textSize)
      return false;
    book->textSize = static_cast<int>(*size);
    return true;
  }
  if (kind == "pane" && f.size() == 2) {
    if ((f[1] != "yes" && f[1] != "no") || book->contentsPane)
      return false;
    book->contentsPane = f[1] == "yes";
    return true;
  }
  if (kind == "mark" && f.size() == 4) {
    std::optional<BookPlace> place = ReadPlace(f[1], f[2]);
    std::optional<std::string> title = Unescaped(f[3]);
    if (!place || !title || !IsKeepableTitle(*title) || book->bookmarks.size() >= kMaxBookmarks)
      return false;
    for (const Bookmark& mark : book->bookmarks) {
      if (mark.place == *place)
        return false;
    }
    book->bookmarks.push_back({std::move(*place), std::move(*title)});
    return true;
  }
  return false;
}

void WriteBook(const std::string& id, const BookReading& book, std::string* out) {
  auto line = [out](std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
      if (!first)
        *out += kSeparator;
      *out += field;
      first = false;
    }
    *out += '\n';
  };
  // Only what reading would keep is written, so that the text reads back the same.
  line({"book", Escaped(id), std::to_string(std::max<int64_t>(book.used, 0))});
  if (book.lastPage && IsValidPlace(*book.lastPage))
    line({"page", Escaped(book.lastPage->name), Escaped(book.lastPage->fragment)});
  if (book.textSize && *book.textSize >= 0 && *book.textSize <= 4)
    line({"size", std::to_string(*book.textSize)});
  if (book.contentsPane)
    line({"pane", *book.contentsPane ? "yes" : "no"});
  std::vector<const BookPlace*> written;
  for (const Bookmark& mark : book.bookmarks) {
    const bool again = std::any_of(written.begin(), written.end(), [&mark](const BookPlace* place) {
      return *place == mark.place;
    });
    if (again || written.size() == kMaxBookmarks || !IsValidPlace(mark.place) ||
        !IsKeepableTitle(mark.title))
      continue;
    written.push_back(&mark.place);
    line({"mark", Escaped(mark.place.name), Escaped(mark.place.fragment), Escaped(mark.title)});
  }
}

}  // namespace

bool BookReading::Empty() const {
  return !lastPage && !textSize && !contentsPane && bookmarks.empty();
}

std::string BookmarkTitle(std::string_view title) {
  std::string out;
  while (!title.empty()) {
    const size_t length = Utf8CharLength(title);
    std::string_view character = title.substr(0, std::max<size_t>(length, 1));
    const bool plain = length > 0 && !IsControlCharacter(character);
    const size_t needed = plain ? length : 1;
    if (out.size() + needed > kMaxBookmarkTitleBytes)
      break;
    if (plain)
      out += character;
    else
      out += ' ';
    title.remove_prefix(character.size());
  }
  return out;
}

ReadingStates ParseReadingStates(std::string_view text) {
  ReadingStates states;
  if (text.size() > kMaxReadingStateBytes)
    return states;
  const std::string_view header = kReadingStateHeader;
  if (text.substr(0, header.size()) != header ||
      (text.size() > header.size() && text[header.size()] != '\n'))
    return states;
  text.remove_prefix(std::min(text.size(), header.size() + 1));
  BookReading* book = nullptr;  // the book the lines now belong to, or none
  std::set<std::string> seen;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields[0] == "book") {
      book = nullptr;
      std::optional<std::string> id = fields.size() == 3 ? Unescaped(fields[1]) : std::nullopt;
      std::optional<int64_t> used =
          fields.size() == 3 ? ReadNumber(fields[2], 0, INT64_MAX) : std::nullopt;
      if (!id || id->empty() || id->size() > kMaxBookIdBytes || !used || !seen.insert(*id).second ||
          states.size() >= kMaxRememberedBooks)
        continue;
      book = &states[*id];
      book->used = *used;
      continue;
    }
    if (book != nullptr)
      ReadBookLine(fields, book);
  }
  return states;
}

std::string WriteReadingStates(const ReadingStates& states) {
  std::vector<const ReadingStates::value_type*> books;
  for (const auto& entry : states) {
    if (!entry.first.empty() && entry.first.size() <= kMaxBookIdBytes && !entry.second.Empty())
      books.push_back(&entry);
  }
  std::stable_sort(books.begin(), books.end(),
                   [](const auto* a, const auto* b) { return a->second.used > b->second.used; });
  std::string out = std::string(kReadingStateHeader) + "\n";
  size_t kept = 0;
  for (const auto* entry : books) {
    if (kept == kMaxRememberedBooks)
      break;
    std::string text;
    WriteBook(entry->first, entry->second, &text);
    if (out.size() + text.size() > kMaxReadingStateBytes)
      continue;
    out += text;
    ++kept;
  }
  return out;
}

}  // namespace quire
