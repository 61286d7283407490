// The manifest's reading keys ("[contents] pane", "[book] remember-reading") go into the
// book's feature record, show in list and come back from extract --manifest.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

BookFeatures FeaturesOf(const std::string& path) {
  pack::BookFile book;
  std::string error;
  EXPECT_TRUE(pack::OpenBookFile(path, &book, &error)) << error;
  return ReadBookFeatures(book.reserved);
}

TEST_F(PackCliTest, ReadingKeysAreRecordedListedAndExtracted) {
  Write("src/index.html", "<title>Start</title>");
  Write("src/book.ini", "[book]\ntitle = Keys\nremember-reading = no\n[contents]\npane = yes\n");
  RunResult built =
      Pack({"build", Path("src"), "-o", Path("keys.book"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  BookFeatures features = FeaturesOf(Path("keys.book"));
  EXPECT_TRUE(features.recorded);
  EXPECT_TRUE(features.contentsPane);
  EXPECT_FALSE(features.rememberReading);

  RunResult json = Pack({"list", "--json", Path("keys.book")});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  std::optional<JsonValue> listed = ParseJson(json.out);
  ASSERT_TRUE(listed) << json.out;
  EXPECT_TRUE((*listed)["features"]["recorded"].boolean);
  EXPECT_TRUE((*listed)["features"]["contentsPane"].boolean);
  EXPECT_FALSE((*listed)["features"]["rememberReading"].boolean);

  RunResult table = Pack({"list", Path("keys.book")});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_NE(table.out.find("\n  remember-reading = no\n"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("\n  pane = yes\n"), std::string::npos) << table.out;

  // Extracted and built again, the book records the same.
  RunResult extracted = Pack({"extract", Path("keys.book"), Path("x"), "--manifest"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  const std::string manifest = ReadWholeFile(Path("x/book.ini")).value_or("");
  EXPECT_NE(manifest.find("\nremember-reading = no\n"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\npane = yes\n"), std::string::npos) << manifest;
  RunResult rebuilt =
      Pack({"build", Path("x"), "-o", Path("again.book"), "--reader", testing::ReaderPath()});
  ASSERT_EQ(rebuilt.exitCode, 0) << rebuilt.err;
  features = FeaturesOf(Path("again.book"));
  EXPECT_TRUE(features.contentsPane);
  EXPECT_FALSE(features.rememberReading);
}

TEST_F(PackCliTest, ABookWithoutReadingKeysRecordsTheDefaults) {
  const BookFeatures features = FeaturesOf(SimpleBook());
  EXPECT_TRUE(features.recorded);
  EXPECT_FALSE(features.contentsPane);
  EXPECT_TRUE(features.rememberReading);
  RunResult table = Pack({"list", Path("simple.book")});
  EXPECT_NE(table.out.find("\n  pane = no\n"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("\n  remember-reading = yes\n"), std::string::npos) << table.out;
}

}  // namespace
}  // namespace quire::pack_tests
