#include "setting_table.h"

#include <algorithm>
#include <sstream>

#include "manifest.h"
#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

using S = EBookSettings;
using F = BookFeatures;

constexpr ValueCodec kFlag{ReadFlag, WriteFlag};
constexpr ValueCodec kInteger{ReadInteger, WriteInteger};
constexpr ValueCodec kColor{ReadColor, WriteColor};
constexpr ValueCodec kWindowWidth{ReadWindowWidth, WriteWindowWidth};
constexpr ValueCodec kWindowPosition{ReadWindowPosition, WriteWindowPosition};
constexpr ValueCodec kPageMode{ReadPageMode, WritePageMode};
constexpr ValueCodec kToolbarStyle{ReadToolbarStyle, WriteToolbarStyle};
constexpr ValueCodec kShortcutOffer{ReadShortcutOffer, WriteShortcutOffer};

using Reader = bool (*)(std::string_view text, Manifest* manifest, std::string* reason);
using Writer = std::optional<std::string> (*)(const SettingValues& values);

SettingRow Text(const char* section, const char* key, std::string S::*field, const char* json) {
  SettingRow row{section, key};
  row.text = field;
  row.json = json;
  return row;
}

SettingRow Number(const char* section, const char* key, int32_t S::*field, const ValueCodec& codec,
                  const char* json) {
  SettingRow row{section, key};
  row.number = field;
  row.codec = &codec;
  row.json = json;
  return row;
}

SettingRow Flag(const char* section, const char* key, bool F::*field, BadValue badValue,
                const char* json = nullptr) {
  SettingRow row{section, key};
  row.flag = field;
  row.badValue = badValue;
  row.json = json;
  return row;
}

SettingRow Own(const char* section, const char* key, Reader read, Writer write, BadValue badValue) {
  SettingRow row{section, key};
  row.read = read;
  row.write = write;
  row.badValue = badValue;
  return row;
}

bool ReadBookId(std::string_view text, Manifest* manifest, std::string* reason) {
  if (text.size() > 63) {
    *reason = "the book id may hold at most 63 bytes";
    return false;
  }
  manifest->bookId = text;
  return true;
}

std::optional<std::string> WriteBookId(const SettingValues& values) {
  return values.bookId;
}

bool ReadSplash(std::string_view text, Manifest* manifest, std::string*) {
  manifest->splash = text;
  return true;
}

std::optional<std::string> WriteSplash(const SettingValues& values) {
  if (values.splash.empty())
    return std::nullopt;
  return values.splash;
}

bool ReadRebranded(std::string_view text, Manifest* manifest, std::string* reason) {
  return ReadFlag(text, &manifest->rebranded, reason);
}

std::optional<std::string> WriteRebranded(const SettingValues& values) {
  return WriteFlag(values.rebranded);
}

bool ReadIgnore(std::string_view text, Manifest* manifest, std::string*) {
  std::istringstream words{std::string(text)};
  for (std::string w; words >> w;)
    manifest->ignore.push_back(w);
  return true;
}

bool ReadSubfolders(std::string_view text, Manifest* manifest, std::string* reason) {
  const std::string value = AsciiLowered(text);
  if (value != "keep" && value != "flatten" && value != "refuse") {
    *reason = "expected keep, flatten or refuse, not '" + std::string(text) + "'";
    return false;
  }
  manifest->flattenSubfolders = value == "flatten";
  manifest->refuseSubfolders = value == "refuse";
  return true;
}

bool ReadButtons(std::string_view text, Manifest* manifest, std::string* reason) {
  return ReadToolbarButtons(text, &manifest->settings.toolbarButtons, reason);
}

std::optional<std::string> WriteButtons(const SettingValues& values) {
  return WriteToolbarButtons(values.settings.toolbarButtons);
}

// The rows, in written order. A bad value of the book id, the rebranded flag or the toolbar
// buttons is reported by its reason alone, of the reading keys by the key alone, as they
// always were.
std::vector<SettingRow> MakeRows() {
  constexpr BadValue kNamed = BadValue::kSectionAndKey;
  constexpr BadValue kBare = BadValue::kReasonOnly;
  return {
      Own("book", "id", ReadBookId, WriteBookId, kBare),
      Own("book", "splash", ReadSplash, WriteSplash, kNamed),
      Own("book", "rebranded", ReadRebranded, WriteRebranded, kBare),
      Flag("book", "remember-reading", &F::rememberReading, BadValue::kKeyOnly, "rememberReading"),
      Flag("book", "page-commands", &F::pageCommands, kNamed),
      Text("book", "esbn", &S::esbn, "esbn"),
      Text("book", "title", &S::title, "title"),
      Text("book", "author", &S::author, "author"),
      Text("book", "author-email", &S::authorEmail, "authorEmail"),
      Text("book", "author-url", &S::authorUrl, "authorUrl"),
      Text("book", "publisher", &S::publisher, "publisher"),
      Text("book", "copyright", &S::copyright, "copyright"),
      Text("book", "startup-message", &S::startupMessage, "startupMessage"),
      Text("book", "startup-script", &S::startupScript, "startupScript"),
      Text("book", "exit-script", &S::exitScript, "exitScript"),
      Text("book", "referral-code", &S::referralCode, "referralCode"),
      Number("book", "open-links-outside", &S::openLinksOutside, kFlag, "openLinksOutside"),
      Number("book", "shortcut-offer", &S::shortcutOffer, kShortcutOffer, "shortcutOffer"),
      Number("book", "popup-menu", &S::popupMenu, kFlag, "popupMenu"),
      Own("book", "ignore", ReadIgnore, nullptr, kNamed),
      Own("book", "subfolders", ReadSubfolders, nullptr, kNamed),
      Number("window", "width", &S::windowWidthCode, kWindowWidth, "windowWidthCode"),
      Number("window", "height", &S::windowHeight, kInteger, "windowHeight"),
      Number("window", "position", &S::windowPositionCode, kWindowPosition, "windowPositionCode"),
      Number("window", "sizeable", &S::sizeableFrame, kFlag, "sizeableFrame"),
      Number("window", "minimize-box", &S::minimizeBox, kFlag, "minimizeBox"),
      Number("window", "maximize-box", &S::maximizeBox, kFlag, "maximizeBox"),
      Number("window", "always-on-top", &S::alwaysOnTop, kFlag, "alwaysOnTop"),
      Number("window", "menu-bar", &S::menuBar, kFlag, "menuBar"),
      Number("window", "status-bar", &S::statusBar, kFlag, "statusBar"),
      Number("window", "status-bar-toggle", &S::statusBarToggle, kFlag, "statusBarToggle"),
      Number("toolbar", "show", &S::toolbar, kFlag, "toolbar"),
      Number("toolbar", "toggle", &S::toolbarToggle, kFlag, "toolbarToggle"),
      Number("toolbar", "texts", &S::toolbarButtonTexts, kFlag, "toolbarButtonTexts"),
      Number("toolbar", "style", &S::toolbarStyle, kToolbarStyle, "toolbarStyle"),
      Own("toolbar", "buttons", ReadButtons, WriteButtons, kBare),
      Number("colors", "background", &S::backgroundColor, kColor, "backgroundColor"),
      Number("colors", "text", &S::textColor, kColor, "textColor"),
      Number("colors", "box", &S::boxColor, kColor, "boxColor"),
      Number("colors", "link", &S::linkColor, kColor, "linkColor"),
      Number("colors", "visited-link", &S::visitedLinkColor, kColor, "visitedLinkColor"),
      Number("colors", "hover", &S::hoverColor, kColor, "hoverColor"),
      Number("contents", "mode", &S::contentsMode, kPageMode, "contentsMode"),
      Text("contents", "page", &S::contentsPageName, "contentsPageName"),
      Number("contents", "show-descriptions", &S::contentsShowDescriptions, kFlag,
             "contentsShowDescriptions"),
      Number("contents", "popup", &S::contentsPopup, kFlag, "contentsPopup"),
      Flag("contents", "pane", &F::contentsPane, BadValue::kKeyOnly, "contentsPane"),
      Number("about", "mode", &S::aboutMode, kPageMode, "aboutMode"),
      Text("about", "page", &S::aboutPageName, "aboutPageName"),
      Number("search", "show-percent", &S::searchShowPercent, kFlag, "searchShowPercent"),
      Number("search", "show-descriptions", &S::searchShowDescriptions, kFlag,
             "searchShowDescriptions"),
      Flag("search", "visible-text", &F::visibleTextSearch, kNamed),
  };
}

// The fields of the settings record that the build sets, by their names in list --json.
struct BuildField {
  const char* json;
  int32_t S::*field;
};
constexpr BuildField kBuildFields[] = {
    {"compileDay", &S::compileDay},       {"compileMonth", &S::compileMonth},
    {"compileYear", &S::compileYear},     {"compileHour", &S::compileHour},
    {"compileMinute", &S::compileMinute}, {"compileSecond", &S::compileSecond},
    {"fileCount", &S::fileCount},
};

}  // namespace

const std::vector<SettingRow>& SettingRows() {
  static const std::vector<SettingRow> rows = MakeRows();
  return rows;
}

const SettingRow* FindSettingRow(std::string_view section, std::string_view key) {
  for (const SettingRow& row : SettingRows()) {
    if (section == row.section && key == row.key)
      return &row;
  }
  return nullptr;
}

std::vector<std::string> SettingSections() {
  std::vector<std::string> sections;
  for (const SettingRow& row : SettingRows()) {
    if (std::find(sections.begin(), sections.end(), row.section) == sections.end())
      sections.push_back(row.section);
  }
  return sections;
}

bool ReadSetting(const SettingRow& row, std::string_view text, Manifest* manifest,
                 std::string* message) {
  std::string reason;
  bool read = true;
  if (row.text) {
    manifest->settings.*row.text = text;
  } else if (row.number) {
    read = row.codec->read(text, &(manifest->settings.*row.number), &reason);
  } else if (row.flag) {
    int32_t flag = 0;
    read = ReadFlag(text, &flag, &reason);
    if (read)
      manifest->features.*row.flag = flag != 0;
  } else {
    read = row.read(text, manifest, &reason);
  }
  if (read)
    return true;
  switch (row.badValue) {
    case BadValue::kSectionAndKey:
      *message = "[" + std::string(row.section) + "] " + row.key + ": " + reason;
      break;
    case BadValue::kKeyOnly:
      *message = row.key + (": " + reason);
      break;
    case BadValue::kReasonOnly:
      *message = reason;
      break;
  }
  return false;
}

std::optional<std::string> WrittenSetting(const SettingRow& row, const SettingValues& values) {
  if (row.text)
    return values.settings.*row.text;
  if (row.number)
    return row.codec->write(values.settings.*row.number);
  if (row.flag)
    return WriteFlag(values.features.*row.flag ? 1 : 0);
  if (row.write)
    return row.write(values);
  return std::nullopt;
}

const char* SettingsFieldJsonName(const EBookSettings& settings, const void* field) {
  for (const SettingRow& row : SettingRows()) {
    if ((row.text && field == &(settings.*row.text)) ||
        (row.number && field == &(settings.*row.number)))
      return row.json;
  }
  for (const BuildField& f : kBuildFields) {
    if (field == &(settings.*f.field))
      return f.json;
  }
  return nullptr;
}

}  // namespace quire::pack
