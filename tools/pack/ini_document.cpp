#include "ini_document.h"

#include <algorithm>
#include <cctype>

#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

// Decodes a quoted value (starting at its opening quote). False when the closing quote is
// missing, an escape is unknown or something other than blanks follows the closing quote.
bool Unquote(std::string_view raw, std::string* out, std::string* reason) {
  out->clear();
  size_t i = 1;
  for (; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '"')
      break;
    if (c != '\\') {
      out->push_back(c);
      continue;
    }
    if (++i >= raw.size()) {
      *reason = "unfinished escape at the end of a quoted value";
      return false;
    }
    switch (raw[i]) {
      case '"':
        out->push_back('"');
        break;
      case '\\':
        out->push_back('\\');
        break;
      case 'n':
        out->push_back('\n');
        break;
      case 'r':
        out->push_back('\r');
        break;
      case 't':
        out->push_back('\t');
        break;
      default:
        *reason = std::string("unknown escape \\") + raw[i] + " in a quoted value";
        return false;
    }
  }
  if (i >= raw.size()) {
    *reason = "quoted value without its closing '\"'";
    return false;
  }
  if (!Trim(raw.substr(i + 1)).empty()) {
    *reason = "text after the closing '\"' of a quoted value";
    return false;
  }
  return true;
}

}  // namespace

bool ParseIni(std::string_view text, const std::string& label, IniDocument* doc,
              std::string* error) {
  doc->sections.clear();
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  int lineNumber = 0;
  auto fail = [&](const std::string& reason) {
    *error = label + ":" + std::to_string(lineNumber) + ": " + reason;
    return false;
  };
  while (!text.empty() || lineNumber == 0) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') {
      if (text.empty())
        break;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']')
        return fail("section header without its closing ']'");
      std::string name(Trim(line.substr(1, line.size() - 2)));
      if (name.empty())
        return fail("empty section name");
      for (const IniSection& s : doc->sections) {
        if (EqualsIgnoringCase(s.name, name)) {
          return fail("section [" + name + "] appears twice (first on line " +
                      std::to_string(s.line) + ")");
        }
      }
      doc->sections.push_back({name, lineNumber, {}});
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string_view::npos)
      return fail("expected 'key = value' or '[section]'");
    std::string keyAsWritten(Trim(line.substr(0, eq)));
    std::string key = AsciiLowered(keyAsWritten);
    if (key.empty())
      return fail("a value without a key");
    if (doc->sections.empty())
      return fail("key '" + key + "' before any [section]");
    std::string_view rawValue = Trim(line.substr(eq + 1));
    std::string value;
    if (!rawValue.empty() && rawValue.front() == '"') {
      std::string reason;
      if (!Unquote(rawValue, &value, &reason))
        return fail(reason);
    } else {
      value = std::string(rawValue);
    }
    IniSection& section = doc->sections.back();
    for (const IniEntry& e : section.entries) {
      if (e.key == key) {
        return fail("key '" + key + "' given twice in [" + section.name + "] (first on line " +
                    std::to_string(e.line) + ")");
      }
    }
    section.entries.push_back({key, keyAsWritten, value, lineNumber});
  }
  return true;
}

std::string QuoteIniValue(std::string_view value) {
  bool plain =
      value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back()) && value.front() != '"');
  for (char c : value) {
    if (c == '\n' || c == '\r' || c == '\t' || c == '\0')
      plain = false;
  }
  if (plain)
    return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out.push_back(c);
    }
  }
  out += '"';
  return out;
}

}  // namespace quire::pack
