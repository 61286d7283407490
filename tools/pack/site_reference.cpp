#include "site_reference.h"

#include <cctype>
#include <cstdint>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/utf8.h"

namespace quire::pack {

namespace {

std::string PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int hi = AsciiHexValue(text[i + 1]);
      int lo = AsciiHexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

bool HasScheme(std::string_view reference) {
  // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
  if (reference.empty() || !std::isalpha(static_cast<unsigned char>(reference[0])))
    return false;
  for (size_t i = 1; i < reference.size(); ++i) {
    char c = reference[i];
    if (c == ':')
      return true;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
      return false;
  }
  return false;
}

}  // namespace

ReferenceParts SplitReference(std::string_view reference) {
  size_t end = reference.find_first_of("?#");
  if (end == std::string_view::npos)
    return {reference, {}};
  return {reference.substr(0, end), reference.substr(end)};
}

bool IsLeftAlone(std::string_view reference) {
  // Blanks around a reference are dropped by browsers; look past them.
  size_t first = reference.find_first_not_of(" \t\r\n\f");
  if (first == std::string_view::npos)
    return true;
  reference = reference.substr(first);
  if (reference.find("##") != std::string_view::npos ||
      reference.find("#!") != std::string_view::npos ||
      reference.find("#@") != std::string_view::npos ||
      reference.find("[={") != std::string_view::npos) {
    return true;
  }
  if (reference[0] == '#' || reference[0] == '?')
    return true;
  if (reference.size() >= 2 && (reference[0] == '/' || reference[0] == '\\') &&
      (reference[1] == '/' || reference[1] == '\\')) {
    return true;
  }
  return HasScheme(reference);
}

Resolution ResolveSitePath(std::string_view path, std::string_view baseFolder,
                           std::string* resolved) {
  std::string decoded = PercentDecode(path);
  for (char& c : decoded) {
    if (c == '\\')
      c = '/';
  }
  resolved->clear();
  if (!decoded.empty() && decoded[0] == '/') {
    // A site served from its own top folder reads "/x" from there.
    size_t first = decoded.find_first_not_of('/');
    Resolution inside = ResolveSitePath(
        first == std::string::npos ? std::string_view() : std::string_view(decoded).substr(first),
        "", resolved);
    return inside == Resolution::kInside ? Resolution::kRootAbsolute : inside;
  }
  std::vector<std::string> parts;
  auto push = [&](std::string_view text) {
    size_t start = 0;
    while (start <= text.size()) {
      size_t slash = text.find('/', start);
      if (slash == std::string_view::npos)
        slash = text.size();
      parts.emplace_back(text.substr(start, slash - start));
      start = slash + 1;
    }
  };
  std::vector<std::string> out;
  if (!baseFolder.empty()) {
    push(baseFolder);
    out = parts;
    parts.clear();
  }
  push(decoded);
  bool folder = false;  // the path names a folder ("", ".", "..", "x/")
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    bool last = i + 1 == parts.size();
    folder = last && (p.empty() || p == "." || p == "..");
    if (p.empty() || p == ".")
      continue;
    if (p == "..") {
      if (out.empty())
        return Resolution::kOutside;
      out.pop_back();
      continue;
    }
    out.push_back(p);
  }
  for (size_t i = 0; i < out.size(); ++i) {
    if (i)
      resolved->push_back('/');
    *resolved += out[i];
  }
  if (folder && !resolved->empty())
    resolved->push_back('/');
  return Resolution::kInside;
}

std::string EncodeStoredName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out.push_back(ch);
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

bool DecodeAttributeText(std::string_view raw, std::string* decoded,
                         std::vector<size_t>* rawOffsets) {
  decoded->clear();
  if (rawOffsets)
    rawOffsets->clear();
  auto mark = [&](size_t from) {
    if (rawOffsets)
      rawOffsets->resize(decoded->size(), from);
  };
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      decoded->push_back(raw[i]);
      mark(i);
      continue;
    }
    size_t semi = raw.find(';', i);
    if (semi == std::string_view::npos || semi - i > 12)
      return false;
    std::string_view name = raw.substr(i + 1, semi - i - 1);
    static const std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'},  {"lt", '<'},    {"gt", '>'},    {"quot", '"'},   {"apos", '\''},
        {"num", '#'},  {"quest", '?'}, {"sol", '/'},   {"period", '.'}, {"lpar", '('},
        {"rpar", ')'}, {"comma", ','}, {"colon", ':'}, {"equals", '='}, {"percnt", '%'}};
    bool known = false;
    for (const auto& [n, c] : kNamed) {
      if (name == n) {
        decoded->push_back(c);
        known = true;
        break;
      }
    }
    if (!known) {
      if (name.size() < 2 || name[0] != '#')
        return false;
      bool hex = name[1] == 'x' || name[1] == 'X';
      std::string_view digits = name.substr(hex ? 2 : 1);
      if (digits.empty() || digits.size() > 7)
        return false;
      uint32_t cp = 0;
      for (char c : digits) {
        int d = hex ? AsciiHexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0)
          return false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
      }
      AppendUtf8(cp, decoded);
    }
    mark(i);
    i = semi;
  }
  mark(raw.size());
  if (rawOffsets)
    rawOffsets->push_back(raw.size());
  return true;
}

}  // namespace quire::pack
