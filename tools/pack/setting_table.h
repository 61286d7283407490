// The settings keys of book.ini, one row each: the manifest reader reads them, list shows
// them and extract --manifest writes them back from the same rows.
//
// A new setting is one row in setting_table.cpp (and a field where its value lives: the
// settings record, ebook_settings.h, or the feature record, book_features.h). The row's
// place in the table is its place in a written manifest and in list.
#ifndef QUIRE_TOOLS_PACK_SETTING_TABLE_H_
#define QUIRE_TOOLS_PACK_SETTING_TABLE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/book_features.h"
#include "book/ebook_settings.h"
#include "manifest_values.h"

namespace quire::pack {

struct Manifest;

// What a book keeps of the settings keys: the manifest reader fills it, list and extract
// --manifest write it back.
struct SettingValues {
  EBookSettings settings;
  BookFeatures features;
  std::string bookId;
  int32_t rebranded = 0;
  // Read: the splash picture's path as written, relative to the source folder. Written:
  // the picture's name, or empty for none (then no line).
  std::string splash;
};

// How a number of the settings record is read from book.ini and written back.
struct ValueCodec {
  ValueReader read;
  ValueWriter write;
};

// How a bad value is reported after "book.ini:LINE: ": "[window] width: expected ..."
// (most keys), "pane: expected ..." or the reason alone, as each key always did.
enum class BadValue { kSectionAndKey, kKeyOnly, kReasonOnly };

struct SettingRow {
  const char* section;  // in lower case, as a written manifest names it
  const char* key;
  // Where the value lives. Exactly one of these is set: a text of the settings record (kept
  // as written), a number of it (read and written by `codec`), a flag of the feature record
  // (yes or no), or, for the few keys that fit none of them, `read` and `write`.
  std::string EBookSettings::*text = nullptr;
  int32_t EBookSettings::*number = nullptr;
  const ValueCodec* codec = nullptr;
  bool BookFeatures::*flag = nullptr;
  // Reads the value as written into `manifest`; false with a short reason.
  bool (*read)(std::string_view text, Manifest* manifest, std::string* reason) = nullptr;
  // The value a written manifest gives, or nullopt for no line. A row with `read` but no
  // `write` is a build instruction that the book does not keep ("ignore", "subfolders").
  std::optional<std::string> (*write)(const SettingValues& values) = nullptr;
  BadValue badValue = BadValue::kSectionAndKey;
  // The name list --json gives it: in "settings" for a field of the settings record, in
  // "features" for a flag of the feature record; none: not there (the book id, the
  // rebranded flag, page commands and the search are listed on their own).
  const char* json = nullptr;
};

// True for a row that only the build reads ("ignore", "subfolders"): a book does not keep
// it, so neither list nor a written manifest shows it.
inline bool IsBuildInstruction(const SettingRow& row) {
  return row.read && !row.write;
}

// Every row, in the order a written manifest gives them: [book], [window], [toolbar],
// [colors], [contents], [about], [search].
const std::vector<SettingRow>& SettingRows();

// The row of `key` in `section` (both in lower case); null for none.
const SettingRow* FindSettingRow(std::string_view section, std::string_view key);

// The sections of the rows, in table order.
std::vector<std::string> SettingSections();

// Reads `text` by `row` into `manifest`. False with the message after "book.ini:LINE: ".
bool ReadSetting(const SettingRow& row, std::string_view text, Manifest* manifest,
                 std::string* message);

// The value a written manifest gives for `row`; nullopt for no line (a build instruction,
// or a splash picture that is not there).
std::optional<std::string> WrittenSetting(const SettingRow& row, const SettingValues& values);

// The name list --json gives the field of `settings` at `field` (its address): a row's,
// or one of the fields the build sets (the compile date, the file count). Null for none
// (the toolbar's buttons, listed as one array).
const char* SettingsFieldJsonName(const EBookSettings& settings, const void* field);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SETTING_TABLE_H_
