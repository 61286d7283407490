#include "html_meta.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "platform/ascii_text.h"
#include "platform/utf8.h"

namespace quire::pack {

namespace {

// Position of `needle` (lower case) in `hay` ignoring case, from `from`; npos if absent.
size_t FindNoCase(std::string_view hay, std::string_view needle, size_t from = 0) {
  if (needle.size() > hay.size())
    return std::string_view::npos;
  for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
    size_t k = 0;
    while (k < needle.size() && AsciiLower(hay[i + k]) == needle[k])
      ++k;
    if (k == needle.size())
      return i;
  }
  return std::string_view::npos;
}

// Decodes the reference starting at text[i] == '&'; returns the number of bytes used, 0
// when it is not a reference we know (the '&' then stays as written).
size_t DecodeReference(std::string_view text, size_t i, std::string* out) {
  size_t semi = text.find(';', i);
  if (semi == std::string_view::npos || semi - i > 10)
    return 0;
  std::string_view name = text.substr(i + 1, semi - i - 1);
  static const std::pair<std::string_view, uint32_t> kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
  for (const auto& [n, cp] : kNamed) {
    if (name == n) {
      out->push_back(static_cast<char>(cp));
      return semi - i + 1;
    }
  }
  if (name.size() >= 2 && name[0] == '#') {
    bool hex = name[1] == 'x' || name[1] == 'X';
    std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7)
      return 0;
    uint32_t cp = 0;
    for (char c : digits) {
      int d = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
              : hex && std::isxdigit(static_cast<unsigned char>(c)) ? AsciiLower(c) - 'a' + 10
                                                                    : -1;
      if (d < 0)
        return 0;
      cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    }
    AppendUtf8(cp, out);
    return semi - i + 1;
  }
  return 0;
}

// The value of attribute `name` (lower case) inside one tag's text, or nullopt-as-empty
// with `found` false.
bool AttributeValue(std::string_view tag, std::string_view name, std::string* value) {
  size_t pos = 0;
  while ((pos = FindNoCase(tag, name, pos)) != std::string_view::npos) {
    bool startsWord = pos > 0 && std::isspace(static_cast<unsigned char>(tag[pos - 1]));
    size_t i = pos + name.size();
    while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
      ++i;
    if (!startsWord || i >= tag.size() || tag[i] != '=') {
      pos += name.size();
      continue;
    }
    ++i;
    while (i < tag.size() && std::isspace(static_cast<unsigned char>(tag[i])))
      ++i;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      size_t close = tag.find(tag[i], i + 1);
      if (close == std::string_view::npos)
        close = tag.size();
      *value = std::string(tag.substr(i + 1, close - i - 1));
    } else {
      size_t end = i;
      while (end < tag.size() && !std::isspace(static_cast<unsigned char>(tag[end])) &&
             tag[end] != '>' && tag[end] != '/') {
        ++end;
      }
      *value = std::string(tag.substr(i, end - i));
    }
    return true;
  }
  return false;
}

}  // namespace

std::string CleanHtmlText(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      size_t used = DecodeReference(text, i, &decoded);
      if (used) {
        i += used;
        continue;
      }
    }
    decoded.push_back(text[i++]);
  }
  std::string out;
  bool space = false;
  for (char c : decoded) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      space = !out.empty();
      continue;
    }
    if (space)
      out.push_back(' ');
    space = false;
    out.push_back(c);
  }
  return out;
}

HtmlMeta ReadHtmlMeta(std::string_view html) {
  HtmlMeta meta;
  size_t open = FindNoCase(html, "<title");
  if (open != std::string_view::npos) {
    size_t start = html.find('>', open);
    if (start != std::string_view::npos) {
      size_t close = FindNoCase(html, "</title", start);
      if (close == std::string_view::npos)
        close = html.size();
      meta.title = CleanHtmlText(html.substr(start + 1, close - start - 1));
    }
  }
  for (size_t pos = 0; (pos = FindNoCase(html, "<meta", pos)) != std::string_view::npos;) {
    size_t end = html.find('>', pos);
    if (end == std::string_view::npos)
      break;
    std::string_view tag = html.substr(pos, end - pos);
    pos = end;
    std::string name, content;
    if (!AttributeValue(tag, "name", &name) || !AttributeValue(tag, "content", &content)) {
      continue;
    }
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
    if (lower == "description" && meta.description.empty()) {
      meta.description = CleanHtmlText(content);
    } else if (lower == "keywords" && meta.keywords.empty()) {
      meta.keywords = CleanHtmlText(content);
    }
  }
  return meta;
}

}  // namespace quire::pack
