#include "pages/visible_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/ascii_text.h"
#include "platform/utf8.h"
#include "platform/windows1252.h"

namespace quire {

namespace {

// A named reference packed in one word: bits 0-13 the offset of its name (without ';') in
// kReferenceNames, 14-18 the name's length, 19 set when it may stand without ';', 20-36
// its first code point, 37-52 its second (0 for references to one character).
constexpr uint64_t Ref(uint64_t offset, uint64_t length, uint64_t legacy, uint64_t first,
                       uint64_t second) {
  return offset | length << 14 | legacy << 19 | first << 20 | second << 37;
}

// kReferenceNames and kNamedReferences, sorted by name.
#include "pages/html_entities.inc"

struct NamedReference {
  std::string_view name;
  bool legacy;
  uint32_t first;
  uint32_t second;
};

NamedReference Unpack(uint64_t word) {
  return {std::string_view(kReferenceNames + (word & 0x3FFF), (word >> 14) & 0x1F),
          ((word >> 19) & 1) != 0, static_cast<uint32_t>((word >> 20) & 0x1FFFF),
          static_cast<uint32_t>((word >> 37) & 0xFFFF)};
}

// The longest name a reference without its ';' may have.
constexpr size_t kLongestLegacyName = 6;
constexpr size_t kLongestName = 32;

// The reference named `name` (without ';'); `legacyOnly` asks for one that may stand
// without its ';'.
std::optional<NamedReference> FindNamed(std::string_view name, bool legacyOnly) {
  const uint64_t* end = std::end(kNamedReferences);
  const uint64_t* it = std::lower_bound(
      std::begin(kNamedReferences), end, name,
      [](uint64_t word, std::string_view wanted) { return Unpack(word).name < wanted; });
  if (it == end)
    return std::nullopt;
  const NamedReference found = Unpack(*it);
  if (found.name != name || (legacyOnly && !found.legacy))
    return std::nullopt;
  return found;
}

// The text being made: white space is held back until a character follows, so that runs
// of it become one space and none stands at either end.
class TextOut {
 public:
  explicit TextOut(std::string* out) : m_out(out) {}

  void Space() { m_pendingSpace = true; }
  void Append(std::string_view bytes) {
    if (m_pendingSpace) {
      if (!m_out->empty())
        m_out->push_back(' ');
      m_pendingSpace = false;
    }
    m_out->append(bytes);
  }

 private:
  std::string* m_out;
  bool m_pendingSpace = false;
};

enum ByteClass : uint8_t { kPlain, kWhite, kMarkup, kNoBreakLead };

// What each byte may start: '<' and '&' markup; in UTF-8 0xC2, which may begin a no-break
// space; in Windows-1252 0xA0, which is one.
std::array<uint8_t, 256> ByteClasses(TextEncoding encoding) {
  std::array<uint8_t, 256> classes{};
  for (char c : kWhiteSpace)
    classes[static_cast<unsigned char>(c)] = kWhite;
  classes['\v'] = kPlain;  // not white space to HTML
  classes['<'] = kMarkup;
  classes['&'] = kMarkup;
  if (encoding == TextEncoding::kUtf8)
    classes[0xC2] = kNoBreakLead;
  else
    classes[0xA0] = kWhite;
  return classes;
}

bool IsHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Elements whose boundaries do not separate words.
bool IsInlineElement(std::string_view name) {
  static constexpr std::string_view kInline[] = {
      "a",   "abbr", "acronym", "b",    "bdi", "bdo",  "big",   "cite", "code",   "data",
      "del", "dfn",  "em",      "font", "i",   "img",  "ins",   "kbd",  "mark",   "nobr",
      "q",   "rp",   "rt",      "ruby", "s",   "samp", "small", "span", "strike", "strong",
      "sub", "sup",  "time",    "tt",   "u",   "var",  "wbr"};
  return std::find(std::begin(kInline), std::end(kInline), name) != std::end(kInline);
}

// Elements whose contents a reader never sees on the page.
bool IsUnseenElement(std::string_view name) {
  static constexpr std::string_view kUnseen[] = {"script",   "style",  "title",   "template",
                                                 "noscript", "iframe", "noembed", "noframes"};
  return std::find(std::begin(kUnseen), std::end(kUnseen), name) != std::end(kUnseen);
}

// The lower-case name of the tag whose name starts at html[at]; `end` gets the offset
// after it.
std::string TagName(std::string_view html, size_t at, size_t* end) {
  std::string name;
  size_t i = at;
  while (i < html.size() && !IsHtmlSpace(html[i]) && html[i] != '/' && html[i] != '>') {
    if (name.size() < 16)
      name.push_back(AsciiLower(html[i]));
    ++i;
  }
  *end = i;
  return name;
}

// Past the '>' that ends the tag whose attributes start at html[at]; quoted values may
// hold '>'. The end of the text when the tag is not closed.
size_t SkipAttributes(std::string_view html, size_t at) {
  const size_t n = html.size();
  size_t i = at;
  while (i < n) {
    while (i < n && (IsHtmlSpace(html[i]) || html[i] == '/'))
      ++i;
    if (i >= n)
      return n;
    if (html[i] == '>')
      return i + 1;
    // The name: its first byte may be anything, even '='.
    ++i;
    while (i < n && !IsHtmlSpace(html[i]) && html[i] != '/' && html[i] != '>' && html[i] != '=')
      ++i;
    while (i < n && IsHtmlSpace(html[i]))
      ++i;
    if (i >= n || html[i] != '=')
      continue;
    ++i;
    while (i < n && IsHtmlSpace(html[i]))
      ++i;
    if (i < n && (html[i] == '"' || html[i] == '\'')) {
      const size_t close = html.find(html[i], i + 1);
      if (close == std::string_view::npos)
        return n;
      i = close + 1;
    } else {
      while (i < n && !IsHtmlSpace(html[i]) && html[i] != '>')
        ++i;
    }
  }
  return n;
}

// Past the end tag "</name ...>" that closes an element whose contents start at html[at];
// the end of the text when there is none.
size_t SkipContents(std::string_view html, size_t at, std::string_view name) {
  size_t i = at;
  while ((i = html.find("</", i)) != std::string_view::npos) {
    const size_t after = i + 2 + name.size();
    if (after <= html.size() && EqualsIgnoringCase(html.substr(i + 2, name.size()), name) &&
        (after == html.size() || IsHtmlSpace(html[after]) || html[after] == '/' ||
         html[after] == '>')) {
      const size_t close = html.find('>', after);
      return close == std::string_view::npos ? html.size() : close + 1;
    }
    i += 2;
  }
  return html.size();
}

// Past the '>' at or after `at`; the end of the text without one.
size_t SkipPast(std::string_view html, size_t at, char c) {
  const size_t found = html.find(c, at);
  return found == std::string_view::npos ? html.size() : found + 1;
}

// Handles the '<' at html[at]: a tag, comment or declaration is left out (an element that
// is not inline leaves a space); any other '<' is text. Returns where the text goes on.
size_t TakeMarkup(std::string_view html, size_t at, TextOut* out) {
  const size_t n = html.size();
  const size_t j = at + 1;
  if (j >= n) {
    out->Append("<");
    return n;
  }
  const char next = html[j];
  if (next == '!') {
    if (html.substr(j + 1, 2) == "--") {
      // "<!-->" and "<!--->" are comments already.
      const size_t close = html.find("-->", at + 2);
      return close == std::string_view::npos ? n : close + 3;
    }
    return SkipPast(html, j, '>');
  }
  if (next == '?')
    return SkipPast(html, j, '>');
  if (next == '/') {
    if (j + 1 < n && IsAsciiLetter(html[j + 1])) {
      size_t nameEnd = 0;
      if (!IsInlineElement(TagName(html, j + 1, &nameEnd)))
        out->Space();
      return SkipPast(html, nameEnd, '>');
    }
    return SkipPast(html, j, '>');  // "</>" and "</3" are left out like comments
  }
  if (!IsAsciiLetter(next)) {
    out->Append("<");
    return j;
  }
  size_t nameEnd = 0;
  const std::string name = TagName(html, j, &nameEnd);
  const size_t after = SkipAttributes(html, nameEnd);
  if (!IsInlineElement(name))
    out->Space();
  return IsUnseenElement(name) ? SkipContents(html, after, name) : after;
}

// The character that numeric reference value `value` stands for.
uint32_t NumericCharacter(uint64_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return 0xFFFD;
  if (value >= 0x80 && value <= 0x9F) {
    // Pages written for Windows mean that code page's characters by these.
    const uint32_t cp = Windows1252ToCodePoint(static_cast<uint8_t>(value));
    return cp != 0 ? cp : static_cast<uint32_t>(value);
  }
  return static_cast<uint32_t>(value);
}

bool IsSpaceCharacter(uint32_t cp) {
  return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == 0xA0;
}

// Writes the characters of a reference, or `written` (the reference as it stands) where
// the book's encoding cannot hold them.
void AppendCharacters(uint32_t first, uint32_t second, std::string_view written,
                      TextEncoding encoding, TextOut* out) {
  if (IsSpaceCharacter(first) && second == 0) {
    out->Space();
    return;
  }
  std::string bytes;
  for (uint32_t cp : {first, second}) {
    if (cp == 0)
      break;
    if (encoding == TextEncoding::kUtf8) {
      AppendUtf8(cp, &bytes);
      continue;
    }
    const int byte = CodePointToWindows1252(cp);
    if (byte <= 0) {
      out->Append(written);
      return;
    }
    bytes.push_back(static_cast<char>(byte));
  }
  out->Append(bytes);
}

// Handles the '&' at html[at]: a character reference is decoded, anything else is text.
// Returns where the text goes on.
size_t TakeReference(std::string_view html, size_t at, TextEncoding encoding, TextOut* out) {
  const size_t n = html.size();
  size_t i = at + 1;
  if (i < n && html[i] == '#') {
    ++i;
    const bool hex = i < n && (html[i] == 'x' || html[i] == 'X');
    if (hex)
      ++i;
    const size_t digitsStart = i;
    uint64_t value = 0;
    while (i < n) {
      const int digit = hex ? AsciiHexValue(html[i]) : (IsAsciiDigit(html[i]) ? html[i] - '0' : -1);
      if (digit < 0)
        break;
      value = std::min<uint64_t>(value * (hex ? 16 : 10) + static_cast<uint64_t>(digit),
                                 uint64_t{0x110000});
      ++i;
    }
    if (i == digitsStart) {
      out->Append(html.substr(at, i - at));  // "&#" or "&#x" without digits
      return i;
    }
    if (i < n && html[i] == ';')
      ++i;
    AppendCharacters(NumericCharacter(value), 0, html.substr(at, i - at), encoding, out);
    return i;
  }
  size_t run = i;
  while (run < n && run - i < kLongestName && (IsAsciiLetter(html[run]) || IsAsciiDigit(html[run])))
    ++run;
  std::optional<NamedReference> found;
  size_t end = i;
  if (run < n && html[run] == ';' && run > i) {
    found = FindNamed(html.substr(i, run - i), false);
    end = run + 1;
  }
  // Without its ';' only an old name counts, the longest that the letters begin with.
  for (size_t length = std::min(run - i, kLongestLegacyName); !found && length >= 2; --length) {
    found = FindNamed(html.substr(i, length), true);
    end = i + length;
  }
  if (!found) {
    out->Append("&");
    return i;
  }
  AppendCharacters(found->first, found->second, html.substr(at, end - at), encoding, out);
  return end;
}

}  // namespace

std::string VisibleText(std::string_view html, TextEncoding encoding) {
  static const std::array<uint8_t, 256> kUtf8Classes = ByteClasses(TextEncoding::kUtf8);
  static const std::array<uint8_t, 256> kWindowsClasses = ByteClasses(TextEncoding::kWindows1252);
  const std::array<uint8_t, 256>& classes =
      encoding == TextEncoding::kUtf8 ? kUtf8Classes : kWindowsClasses;
  std::string text;
  text.reserve(html.size() / 4);
  TextOut out(&text);
  const size_t n = html.size();
  size_t i = 0;
  while (i < n) {
    size_t run = i;
    while (run < n && classes[static_cast<unsigned char>(html[run])] == kPlain)
      ++run;
    if (run > i) {
      out.Append(html.substr(i, run - i));
      i = run;
      continue;
    }
    switch (classes[static_cast<unsigned char>(html[i])]) {
      case kWhite:
        out.Space();
        ++i;
        break;
      case kNoBreakLead:
        if (i + 1 < n && html[i + 1] == '\xA0') {
          out.Space();
          i += 2;
        } else {
          out.Append(html.substr(i, 1));
          ++i;
        }
        break;
      default:
        i = html[i] == '<' ? TakeMarkup(html, i, &out) : TakeReference(html, i, encoding, &out);
        break;
    }
  }
  return text;
}

bool IsPageName(std::string_view name) {
  for (std::string_view ending : {".html", ".htm", ".xhtml", ".shtml"}) {
    if (EndsWithIgnoringCase(name, ending))
      return true;
  }
  return false;
}

std::string SearchTextOfFile(std::string_view name, std::string_view bytes, TextEncoding encoding) {
  if (IsPageName(name))
    return VisibleText(bytes, encoding);
  bytes = bytes.substr(0, bytes.find('\0'));
  std::string text;
  text.reserve(bytes.size());
  TextOut out(&text);
  size_t i = 0;
  while (i < bytes.size()) {
    size_t run = i;
    while (run < bytes.size() && !IsWhiteSpace(bytes[run]))
      ++run;
    if (run > i) {
      out.Append(bytes.substr(i, run - i));
      i = run;
    } else {
      out.Space();
      ++i;
    }
  }
  return text;
}

}  // namespace quire
