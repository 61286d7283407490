#include "book/book_features.h"

#include <string_view>

namespace quire {

namespace {

constexpr char kPageCommandsKey[] = "page-commands";
constexpr char kContentsPaneKey[] = "contents-pane";
constexpr char kRememberReadingKey[] = "remember-reading";
constexpr char kSearchKey[] = "search";
constexpr char kVisibleText[] = "visible-text";
constexpr char kRawBytes[] = "raw";
constexpr char kColorsKey[] = "colors";
constexpr char kPaletteValue[] = "palette";

// "yes" and "no" only: anything else leaves `flag` as it was and says so.
bool ReadFlag(std::string_view value, bool* flag) {
  if (value == "yes") {
    *flag = true;
    return true;
  }
  if (value == "no") {
    *flag = false;
    return true;
  }
  return false;
}

std::string FlagText(bool flag) {
  return flag ? "yes" : "no";
}

}  // namespace

bool IsSearchTextEntry(const BookFeatures& features, const EBookFile& entry) {
  return features.recorded && features.visibleTextSearch && entry.fileName == kSearchTextEntry;
}

BookFeatures ReadBookFeatures(const EBookReservedList& list) {
  BookFeatures features;
  if (list.texts.empty() || list.texts.front() != kBookFeaturesMark)
    return features;
  features.recorded = true;
  for (size_t i = 1; i < list.texts.size(); ++i) {
    const std::string& text = list.texts[i];
    const size_t equals = text.find('=');
    const std::string_view key = std::string_view(text).substr(0, equals);
    const std::string_view value = equals == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(text).substr(equals + 1);
    bool known = false;
    if (key == kPageCommandsKey) {
      known = ReadFlag(value, &features.pageCommands);
    } else if (key == kContentsPaneKey) {
      known = ReadFlag(value, &features.contentsPane);
    } else if (key == kRememberReadingKey) {
      known = ReadFlag(value, &features.rememberReading);
    } else if (key == kSearchKey && (value == kVisibleText || value == kRawBytes)) {
      features.visibleTextSearch = value == kVisibleText;
      known = true;
    } else if (key == kColorsKey && value == kPaletteValue) {
      features.colorsFromPalette = true;
      known = true;
    }
    if (!known)
      features.unknown.push_back(text);
  }
  return features;
}

EBookReservedList WriteBookFeatures(const BookFeatures& features) {
  EBookReservedList list;
  if (!features.recorded)
    return list;
  list.texts.push_back(kBookFeaturesMark);
  list.texts.push_back(std::string(kPageCommandsKey) + "=" + FlagText(features.pageCommands));
  // The reading keys are written only where they differ from the default, so the record
  // of a book that sets none stays as it was.
  if (features.contentsPane)
    list.texts.push_back(std::string(kContentsPaneKey) + "=" + FlagText(true));
  if (!features.rememberReading)
    list.texts.push_back(std::string(kRememberReadingKey) + "=" + FlagText(false));
  if (features.visibleTextSearch)
    list.texts.push_back(std::string(kSearchKey) + "=" + kVisibleText);
  if (features.colorsFromPalette)
    list.texts.push_back(std::string(kColorsKey) + "=" + kPaletteValue);
  for (const std::string& text : features.unknown)
    list.texts.push_back(text);
  return list;
}

}  // namespace quire
