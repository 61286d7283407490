#include "script_link_scan.h"

#include <cctype>
#include <cstdlib>

#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

bool HasMarker(std::string_view text) {
  for (size_t at = text.find('#'); at != std::string_view::npos && at + 1 < text.size();
       at = text.find('#', at + 1)) {
    const char next = text[at + 1];
    if (next == '#' || next == '!' || next == '@')
      return true;
  }
  return false;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view word) {
  if (text.size() - at < word.size())
    return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i])
      return false;
  }
  return true;
}

// The character a reference at `at` ("&#35;", "&#x23", "&num;", ...) stands for when it is
// '#', '!' or '@', with its length in `length`; 0 for any other text.
char MarkerReference(std::string_view text, size_t at, size_t* length) {
  static constexpr struct {
    std::string_view name;
    char c;
  } kNamed[] = {{"&num;", '#'}, {"&excl;", '!'}, {"&commat;", '@'}};
  for (const auto& named : kNamed) {
    if (StartsWithNoCase(text, at, named.name)) {
      *length = named.name.size();
      return named.c;
    }
  }
  if (at + 2 >= text.size() || text[at + 1] != '#')
    return 0;
  size_t i = at + 2;
  const bool hex = text[i] == 'x' || text[i] == 'X';
  if (hex)
    ++i;
  long value = 0;
  const size_t digits = i;
  for (; i < text.size() && value < 0x110000; ++i) {
    const int digit =
        hex ? AsciiHexValue(text[i])
            : (std::isdigit(static_cast<unsigned char>(text[i])) ? text[i] - '0' : -1);
    if (digit < 0)
      break;
    value = value * (hex ? 16 : 10) + digit;
  }
  if (i == digits)
    return 0;
  if (i < text.size() && text[i] == ';')
    ++i;
  *length = i - at;
  return value == '#' || value == '!' || value == '@' ? static_cast<char>(value) : 0;
}

// True when the marker at `at` stands in an address of another place than a file (an
// http: link, a data: page): the reader runs no link there. A javascript: address is code.
bool InOutsideAddress(std::string_view tag, size_t at) {
  size_t start = at;
  while (start > 0 && tag[start - 1] != '"' && tag[start - 1] != '\'' && tag[start - 1] != '=' &&
         !std::isspace(static_cast<unsigned char>(tag[start - 1])))
    --start;
  const size_t colon = tag.find(':', start);
  if (colon == std::string_view::npos || colon > at || colon == start)
    return false;
  for (size_t i = start; i < colon; ++i) {
    const unsigned char c = static_cast<unsigned char>(tag[i]);
    if (!std::isalpha(c) && (i == start || (!std::isdigit(c) && c != '+' && c != '-' && c != '.')))
      return false;
  }
  const std::string scheme = AsciiLowered(tag.substr(start, colon - start));
  return scheme != "file" && scheme != "javascript";
}

bool HasMarkerOutsideOtherAddresses(std::string_view tag) {
  for (size_t at = tag.find('#'); at != std::string_view::npos && at + 1 < tag.size();
       at = tag.find('#', at + 1)) {
    const char next = tag[at + 1];
    if ((next == '#' || next == '!' || next == '@') && !InOutsideAddress(tag, at))
      return true;
  }
  return false;
}

// A tag's text with the references to marker characters read as the browser reads them.
bool TagHasMarker(std::string_view tag) {
  if (tag.find('&') == std::string_view::npos)
    return HasMarkerOutsideOtherAddresses(tag);
  std::string decoded;
  decoded.reserve(tag.size());
  for (size_t i = 0; i < tag.size();) {
    size_t length = 0;
    const char c = tag[i] == '&' ? MarkerReference(tag, i, &length) : 0;
    if (c != 0) {
      decoded += c;
      i += length;
    } else {
      decoded += tag[i++];
    }
  }
  return HasMarkerOutsideOtherAddresses(decoded);
}

// The end of the tag that starts at `at` ('<'): the '>' outside quoted values, or the end.
size_t TagEnd(std::string_view page, size_t at) {
  char quote = 0;
  for (size_t i = at + 1; i < page.size(); ++i) {
    const char c = page[i];
    if (quote != 0) {
      if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i + 1;
    }
  }
  return page.size();
}

bool IsNameEnd(std::string_view text, size_t at) {
  return at >= text.size() || std::isspace(static_cast<unsigned char>(text[at])) ||
         text[at] == '>' || text[at] == '/';
}

bool PageHoldsScriptLinks(std::string_view page) {
  for (size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at)) {
    if (page.compare(at, 4, "<!--") == 0) {
      const size_t end = page.find("-->", at + 4);
      at = end == std::string_view::npos ? page.size() : end + 3;
      continue;
    }
    const size_t end = TagEnd(page, at);
    if (TagHasMarker(page.substr(at, end - at)))
      return true;
    if (StartsWithNoCase(page, at, "<script") && IsNameEnd(page, at + 7)) {
      // A script's text ends at the first "</script", whatever it holds.
      size_t close = page.find('<', end);
      while (close != std::string_view::npos && !StartsWithNoCase(page, close, "</script"))
        close = page.find('<', close + 1);
      if (close == std::string_view::npos)
        close = page.size();
      if (HasMarker(page.substr(end, close - end)))
        return true;
      at = close;
      continue;
    }
    at = end;
  }
  return false;
}

}  // namespace

LinkScanKind LinkScanKindOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return LinkScanKind::kNone;
  const std::string ext = AsciiLowered(name.substr(dot + 1));
  if (ext == "html" || ext == "htm" || ext == "xhtml" || ext == "shtml" || ext == "svg")
    return LinkScanKind::kPage;
  if (ext == "js" || ext == "mjs")
    return LinkScanKind::kScript;
  return LinkScanKind::kNone;
}

bool HoldsScriptLinks(std::string_view bytes, LinkScanKind kind) {
  switch (kind) {
    case LinkScanKind::kPage:
      return PageHoldsScriptLinks(bytes);
    case LinkScanKind::kScript:
      return HasMarker(bytes);
    case LinkScanKind::kNone:
      break;
  }
  return false;
}

}  // namespace quire::pack
