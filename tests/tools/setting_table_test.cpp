// The rows of the settings table hold together: each key once, each read into the place
// it is written from, each field of the settings record listed by one name.
#include "setting_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>

#include "book/container_format.h"
#include "manifest.h"
#include "tools/setting_samples.h"

namespace quire::pack {
namespace {

using testing::OneSetting;
using testing::ReadManifestText;
using testing::SampleSettingValue;

std::string Name(const SettingRow& row) {
  return "[" + std::string(row.section) + "] " + row.key;
}

TEST(SettingTableTest, EachKeyOnceAndEachSectionInOnePiece) {
  std::set<std::pair<std::string, std::string>> keys;
  std::set<std::string> closed;  // sections whose rows have ended
  std::string section;
  for (const SettingRow& row : SettingRows()) {
    EXPECT_TRUE(keys.emplace(row.section, row.key).second) << Name(row) << " twice";
    if (row.section != section) {
      EXPECT_FALSE(closed.count(row.section))
          << Name(row) << ": [" << row.section << "] is split, so a manifest would open it twice";
      closed.insert(section);
      section = row.section;
    }
    EXPECT_EQ(FindSettingRow(row.section, row.key), &row) << Name(row);
  }
  EXPECT_EQ(FindSettingRow("book", "titel"), nullptr);
}

TEST(SettingTableTest, EachRowKeepsItsValueInOnePlace) {
  for (const SettingRow& row : SettingRows()) {
    const int places = (row.text != nullptr) + (row.number != nullptr) + (row.flag != nullptr) +
                       (row.read != nullptr);
    EXPECT_EQ(places, 1) << Name(row);
    EXPECT_EQ(row.number != nullptr, row.codec != nullptr) << Name(row);
    EXPECT_TRUE(!row.write || row.read) << Name(row);
    // A field of a record has a name in list --json; a key of its own is listed apart.
    if (row.text || row.number) {
      EXPECT_NE(row.json, nullptr) << Name(row);
    }
    if (row.read) {
      EXPECT_EQ(row.json, nullptr) << Name(row);
    }
  }
}

// Read by the manifest reader into the place that list and extract --manifest write it
// from, and into no other: a manifest of that one key writes every other key as the
// defaults do, and its own value reads back to itself.
TEST(SettingTableTest, EveryRowIsReadIntoThePlaceItIsWrittenFrom) {
  Manifest defaults;
  ASSERT_EQ(ReadManifestText("", &defaults), "");
  for (const SettingRow& row : SettingRows()) {
    const std::optional<std::string> sample = SampleSettingValue(row);
    ASSERT_TRUE(sample) << Name(row) << ": no value read into the place it is written from";
    Manifest manifest;
    ASSERT_EQ(ReadManifestText(OneSetting(row, *sample), &manifest), "") << Name(row);
    EXPECT_TRUE(manifest.Gives(row.section, row.key)) << Name(row);
    for (const SettingRow& other : SettingRows()) {
      if (&other != &row) {
        EXPECT_EQ(WrittenSetting(other, manifest), WrittenSetting(other, defaults))
            << Name(row) << " = " << *sample << " changed " << Name(other);
      }
    }
    if (IsBuildInstruction(row)) {
      EXPECT_EQ(WrittenSetting(row, manifest), std::nullopt) << Name(row);
      continue;
    }
    const std::optional<std::string> written = WrittenSetting(row, manifest);
    ASSERT_TRUE(written) << Name(row);
    Manifest again;
    ASSERT_EQ(ReadManifestText(OneSetting(row, *written), &again), "") << Name(row);
    EXPECT_EQ(WrittenSetting(row, again), written) << Name(row);
  }
}

TEST(SettingTableTest, AManifestWritesEveryKeptRowInTableOrder) {
  // Every key set to its sample, each section once.
  Manifest read;
  std::string joined;
  std::string section;
  for (const SettingRow& row : SettingRows()) {
    if (row.section != section) {
      section = row.section;
      joined += "[" + section + "]\n";
    }
    joined +=
        std::string(row.key) + " = " + QuoteIniValue(SampleSettingValue(row).value_or("")) + "\n";
  }
  ASSERT_EQ(ReadManifestText(joined, &read), "");
  ManifestSource written;
  static_cast<SettingValues&>(written) = read;
  std::string expected = "; Book manifest for quire-pack build.\n";
  section.clear();
  for (const SettingRow& row : SettingRows()) {
    if (IsBuildInstruction(row))
      continue;
    if (row.section != section) {
      section = row.section;
      expected += "\n[" + section + "]\n";
    }
    expected += std::string(row.key) + " = " + QuoteIniValue(*WrittenSetting(row, read)) + "\n";
  }
  EXPECT_EQ(WriteManifest(written), expected);
}

TEST(SettingTableTest, AnUnknownSectionNamesEveryKnownOne) {
  Manifest manifest;
  EXPECT_EQ(ReadManifestText("[books]\n", &manifest),
            "book.ini:1: unknown section [books] (expected book, window, toolbar, colors, "
            "contents, about, search, variables, file:NAME or variable:NAME)");
  std::string sections;
  for (const std::string& section : SettingSections())
    sections += section + " ";
  EXPECT_EQ(sections, "book window toolbar colors contents about search ");
}

// list --json shows every field of the settings record once, by a name of its own.
TEST(SettingTableTest, EveryFieldOfTheSettingsRecordHasOneListedName) {
  struct Names {
    EBookSettings& settings;
    std::map<std::string, int> seen;
    int unnamed = 0;
    bool Mark(uint32_t) { return true; }
    void Count(const void* field) {
      const char* name = SettingsFieldJsonName(settings, field);
      if (name)
        ++seen[name];
      else
        ++unnamed;
    }
    bool Int(int32_t& v) {
      Count(&v);
      return true;
    }
    bool Text(std::string& t) {
      Count(&t);
      return true;
    }
    bool ReservedInts(int) { return true; }
    bool ReservedTexts(int) { return true; }
  };
  EBookSettings settings;
  Names names{settings, {}, 0};
  ASSERT_TRUE(VisitSettings(names, settings));
  EXPECT_EQ(names.unnamed, kToolbarButtonCount);  // the buttons, listed as one array
  for (const auto& [name, count] : names.seen)
    EXPECT_EQ(count, 1) << name;
  std::set<std::string> flags;
  for (const SettingRow& row : SettingRows()) {
    if (row.flag && row.json) {
      EXPECT_TRUE(flags.insert(row.json).second) << row.json;
      EXPECT_FALSE(names.seen.count(row.json)) << row.json;
    }
  }
}

}  // namespace
}  // namespace quire::pack
