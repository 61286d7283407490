// Every settings key of book.ini survives the way through a book: built into it, listed
// by list (and list --json) and written back by extract --manifest, found from the
// settings table's own rows.
#include "tools/pack_cli_fixture.h"
#include "tools/setting_samples.h"

namespace quire::pack_tests {
namespace {

using pack::IsBuildInstruction;
using pack::SettingRow;
using pack::SettingRows;
using pack::WrittenSetting;

std::string Name(const SettingRow& row) {
  return "[" + std::string(row.section) + "] " + row.key;
}

class SettingRoundTripTest : public PackCliTest {
 protected:
  // A source folder whose book.ini sets every key to its sample (setting_samples.h).
  void WriteSourceSettingEverything() {
    std::string ini;
    std::string section;
    for (const SettingRow& row : SettingRows()) {
      const std::optional<std::string> sample = testing::SampleSettingValue(row);
      ASSERT_TRUE(sample) << Name(row);
      if (row.section != section) {
        section = row.section;
        ini += "[" + section + "]\n";
      }
      ini += std::string(row.key) + " = " + pack::QuoteIniValue(*sample) + "\n";
    }
    Write("src/book.ini", ini);
    Write("src/index.html", "<title>Start</title><p>Every setting</p>");
    Write("src/splash.bmp", testing::MakeBmp(4, 3, 200, 100, 50));
    ASSERT_EQ(testing::ReadManifestText(ini, &m_source), "");
  }

  pack::Manifest m_source;
};

TEST_F(SettingRoundTripTest, EveryKeptSettingIsListedAndExtractedAsItWasSet) {
  WriteSourceSettingEverything();
  RunResult built =
      Pack({"build", Path("src"), "-o", Path("all.book"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(built.exitCode, 0) << built.err;

  // extract --manifest writes every kept key back as the source set it.
  RunResult extracted = Pack({"extract", Path("all.book"), Path("x"), "--manifest"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  pack::Manifest back;
  std::string error;
  ASSERT_TRUE(pack::LoadManifestFile(Path("x/book.ini"), &back, &error)) << error;
  for (const SettingRow& row : SettingRows()) {
    if (!IsBuildInstruction(row)) {
      EXPECT_TRUE(back.Gives(row.section, row.key)) << Name(row);
      EXPECT_EQ(WrittenSetting(row, back), WrittenSetting(row, m_source)) << Name(row);
    }
  }

  // list shows each of them, in table order, but the splash picture (its own line above).
  RunResult listed = Pack({"list", Path("all.book")});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  std::string expected = "Settings (as book.ini sets them):\n";
  std::string section;
  for (const SettingRow& row : SettingRows()) {
    const std::optional<std::string> value = WrittenSetting(row, m_source);
    if (!value || std::string(row.key) == "splash")
      continue;
    if (row.section != section) {
      section = row.section;
      expected += "  [" + section + "]\n";
    }
    expected += "  " + std::string(row.key) + " = " + pack::QuoteIniValue(*value) + "\n";
  }
  EXPECT_NE(listed.out.find(expected + "\nFiles ("), std::string::npos) << "expected:\n"
                                                                        << expected << "\ngot:\n"
                                                                        << listed.out;

  // list --json names every field and flag that a row keeps.
  RunResult json = Pack({"list", "--json", Path("all.book")});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  std::optional<JsonValue> doc = ParseJson(json.out);
  ASSERT_TRUE(doc) << json.out;
  for (const SettingRow& row : SettingRows()) {
    if (!row.json)
      continue;
    if (row.flag) {
      EXPECT_EQ((*doc)["features"][row.json].boolean, m_source.features.*row.flag) << Name(row);
    } else if (row.text) {
      EXPECT_EQ((*doc)["settings"][row.json].text, m_source.settings.*row.text) << Name(row);
    } else {
      EXPECT_EQ((*doc)["settings"][row.json].number, m_source.settings.*row.number) << Name(row);
    }
  }
}

}  // namespace
}  // namespace quire::pack_tests
