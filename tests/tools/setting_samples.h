// A value for each settings key that the manifest reader takes and that a book does not
// get by default, found from the key's own row: what the table tests set every key to.
#ifndef QUIRE_TESTS_TOOLS_SETTING_SAMPLES_H_
#define QUIRE_TESTS_TOOLS_SETTING_SAMPLES_H_

#include <optional>
#include <string>

#include "ini_document.h"
#include "manifest.h"
#include "setting_table.h"

namespace quire::testing {

// Reads `text` as book.ini; the error text, "" on success.
inline std::string ReadManifestText(const std::string& text, pack::Manifest* manifest) {
  pack::IniDocument doc;
  std::string error;
  if (!pack::ParseIni(text, "book.ini", &doc, &error) ||
      !pack::ReadManifest(doc, "book.ini", manifest, &error))
    return error;
  return "";
}

// "[section]\nkey = value\n".
inline std::string OneSetting(const pack::SettingRow& row, const std::string& value) {
  return "[" + std::string(row.section) + "]\n" + row.key + " = " + pack::QuoteIniValue(value) +
         "\n";
}

// The first of a few values of every kind that the reader takes for `row` and that
// changes what a manifest writes for it (for a build instruction, which a book does not
// keep: that it reads). Names a file "splash.bmp" where a key takes any text.
inline std::optional<std::string> SampleSettingValue(const pack::SettingRow& row) {
  pack::Manifest defaults;
  EXPECT_EQ(ReadManifestText("", &defaults), "");
  for (const char* value : {"splash.bmp", "no", "yes", "7", "refuse"}) {
    pack::Manifest manifest;
    if (!ReadManifestText(OneSetting(row, value), &manifest).empty())
      continue;
    if (pack::IsBuildInstruction(row) ||
        WrittenSetting(row, manifest) != WrittenSetting(row, defaults))
      return value;
  }
  return std::nullopt;
}

}  // namespace quire::testing

#endif  // QUIRE_TESTS_TOOLS_SETTING_SAMPLES_H_
