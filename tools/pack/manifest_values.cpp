#include "manifest_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

bool ParseDecimal(std::string_view text, int32_t* value) {
  if (text.empty())
    return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+')
    ++first;
  auto [ptr, ec] = std::from_chars(first, last, *value);
  return ec == std::errc() && ptr == last;
}

using WordTable = std::vector<std::pair<const char*, int32_t>>;

// A word of `words` or a decimal number.
bool ReadWordOrNumber(std::string_view text, const WordTable& words, const char* expected,
                      int32_t* value, std::string* reason) {
  std::string lower = AsciiLowered(text);
  for (const auto& [word, number] : words) {
    if (lower == word) {
      *value = number;
      return true;
    }
  }
  if (ParseDecimal(text, value))
    return true;
  *reason = std::string("expected ") + expected;
  return false;
}

std::string WriteWordOrNumber(int32_t value, const WordTable& words) {
  for (const auto& [word, number] : words) {
    if (number == value)
      return word;
  }
  return std::to_string(value);
}

const WordTable kFlagWords = {{"yes", 1},   {"no", 0}, {"true", 1},
                              {"false", 0}, {"on", 1}, {"off", 0}};
const WordTable kWidthWords = {
    {"maximized", -1}, {"minimized", -2}, {"system", -3}, {"maximised", -1}, {"minimised", -2}};
const WordTable kPositionWords = {
    {"centre", 0},        {"top-left", -8}, {"top", -1},         {"top-right", -2}, {"right", -3},
    {"bottom-right", -4}, {"bottom", -5},   {"bottom-left", -6}, {"left", -7},      {"center", 0}};
const WordTable kModeWords = {{"none", 1}, {"own", 2}, {"generated", 3}};
const WordTable kToolbarStyleWords = {{"top", 0}, {"left", 1}, {"right", 2}, {"bottom", 3}};
const WordTable kShortcutWords = {{"none", 0}, {"desktop", -1}, {"start-menu", -2}};
const WordTable kKindWords = {{"text", 1}, {"html", 2}};

// Toolbar button names and the show flag each one reads; flag 11 belongs to no button.
const WordTable kButtonWords = {{"back", 0}, {"forward", 1}, {"stop", 2},     {"refresh", 3},
                                {"home", 4}, {"search", 5},  {"contents", 6}, {"copy", 7},
                                {"find", 8}, {"size", 9},    {"print", 10},   {"about", 12}};

}  // namespace

bool ReadFlag(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kFlagWords, "yes or no", value, reason);
}
std::string WriteFlag(int32_t value) {
  if (value == 0 || value == 1)
    return value ? "yes" : "no";
  return std::to_string(value);
}

bool ReadInteger(std::string_view text, int32_t* value, std::string* reason) {
  if (ParseDecimal(text, value))
    return true;
  *reason = "expected a whole number";
  return false;
}
std::string WriteInteger(int32_t value) {
  return std::to_string(value);
}

bool ReadColor(std::string_view text, int32_t* value, std::string* reason) {
  if (!text.empty() && text.front() == '#') {
    std::string_view hex = text.substr(1);
    bool allHex =
        std::all_of(hex.begin(), hex.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
    if (allHex && (hex.size() == 6 || hex.size() == 3)) {
      std::string digits(hex);
      if (hex.size() == 3)
        digits = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
      unsigned rgb = static_cast<unsigned>(std::stoul(digits, nullptr, 16));
      unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
      *value = static_cast<int32_t>(r | (g << 8) | (b << 16));
      return true;
    }
  } else if (ParseDecimal(text, value)) {
    return true;
  }
  *reason = "expected a colour as #RRGGBB, #RGB or a number";
  return false;
}
std::string WriteColor(int32_t value) {
  if (value < 0 || value > 0xFFFFFF)
    return std::to_string(value);
  unsigned v = static_cast<unsigned>(value);
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
  return text;
}

bool ReadWindowWidth(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kWidthWords, "maximized, minimized, system or a width in pixels",
                          value, reason);
}
std::string WriteWindowWidth(int32_t value) {
  return WriteWordOrNumber(value, kWidthWords);
}

bool ReadWindowPosition(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kPositionWords,
                          "centre, top-left, top, top-right, right, bottom-right, bottom, "
                          "bottom-left, left or a number",
                          value, reason);
}
std::string WriteWindowPosition(int32_t value) {
  return WriteWordOrNumber(value, kPositionWords);
}

bool ReadPageMode(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kModeWords, "none, own, generated or a number", value, reason);
}
std::string WritePageMode(int32_t value) {
  return WriteWordOrNumber(value, kModeWords);
}

bool ReadToolbarStyle(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kToolbarStyleWords, "top, left, right, bottom or a number", value,
                          reason);
}
std::string WriteToolbarStyle(int32_t value) {
  return WriteWordOrNumber(value, kToolbarStyleWords);
}

bool ReadShortcutOffer(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kShortcutWords, "none, desktop, start-menu or a number", value,
                          reason);
}
std::string WriteShortcutOffer(int32_t value) {
  return WriteWordOrNumber(value, kShortcutWords);
}

bool ReadVariableKind(std::string_view text, int32_t* value, std::string* reason) {
  return ReadWordOrNumber(text, kKindWords, "text, html or a number", value, reason);
}
std::string WriteVariableKind(int32_t value) {
  return WriteWordOrNumber(value, kKindWords);
}

bool ReadToolbarButtons(std::string_view text, std::array<int32_t, kToolbarButtonCount>* flags,
                        std::string* reason) {
  std::string lower = AsciiLowered(text);
  if (lower == "all") {
    flags->fill(1);
    return true;
  }
  flags->fill(0);
  if (!lower.empty() && lower.front() == '=') {
    // The exact form: 13 numbers separated by commas.
    std::string_view rest = std::string_view(lower).substr(1);
    for (int i = 0; i < kToolbarButtonCount; ++i) {
      size_t comma = rest.find(',');
      std::string_view item = rest.substr(0, comma);
      if (!ParseDecimal(item, &(*flags)[i]) ||
          (i + 1 < kToolbarButtonCount) == (comma == rest.npos)) {
        *reason = "expected 13 numbers after '=' separated by commas";
        return false;
      }
      rest.remove_prefix(comma == rest.npos ? rest.size() : comma + 1);
    }
    return true;
  }
  if (lower == "none")
    return true;
  std::string word;
  auto take = [&]() -> bool {
    if (word.empty())
      return true;
    int32_t index = -1;
    for (const auto& [name, flag] : kButtonWords) {
      if (word == name)
        index = flag;
    }
    if (index < 0 && (!ParseDecimal(word, &index) || index < 0 || index >= kToolbarButtonCount)) {
      *reason = "unknown toolbar button '" + word +
                "' (expected all, none, or back forward stop refresh home search contents copy "
                "find size print about, or numbers 0 to 12)";
      return false;
    }
    (*flags)[index] = 1;
    word.clear();
    return true;
  };
  for (char c : lower) {
    if (c == ' ' || c == ',' || c == '\t') {
      if (!take())
        return false;
    } else {
      word.push_back(c);
    }
  }
  return take();
}

std::string WriteToolbarButtons(const std::array<int32_t, kToolbarButtonCount>& flags) {
  bool allOne = true, allZero = true, binary = true;
  for (int32_t f : flags) {
    allOne = allOne && f == 1;
    allZero = allZero && f == 0;
    binary = binary && (f == 0 || f == 1);
  }
  if (allOne)
    return "all";
  if (allZero)
    return "none";
  std::string out;
  if (!binary) {
    out = "=";
    for (int i = 0; i < kToolbarButtonCount; ++i) {
      if (i)
        out += ',';
      out += std::to_string(flags[i]);
    }
    return out;
  }
  for (int i = 0; i < kToolbarButtonCount; ++i) {
    if (!flags[i])
      continue;
    std::string name = std::to_string(i);
    for (const auto& [word, flag] : kButtonWords) {
      if (flag == i)
        name = word;
    }
    if (!out.empty())
      out += ' ';
    out += name;
  }
  return out;
}

}  // namespace quire::pack
