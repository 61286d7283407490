// The reader program a book is written onto: which one quire-pack takes by itself, what
// `list` says of it, and the size of the sample book as the run script builds it.
#include <string>
#include <vector>

#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

constexpr char kStrippedReader[] = QUIRE_STRIPPED_READER_PATH;

// The reader named by build's closing line: "... (reader image SIZE, PATH) ...".
std::string ReaderNamedBy(const RunResult& r) {
  const size_t at = r.out.find("(reader image ");
  const size_t comma = r.out.find(", ", at);
  const size_t end = r.out.find(')', comma);
  if (at == std::string::npos || comma == std::string::npos || end == std::string::npos)
    return "";
  return r.out.substr(comma + 2, end - comma - 2);
}

int64_t FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

class ReaderImageTest : public PackCliTest {};

// quire-pack is copied into tools/ of a scratch tree; readers are put beside it, one
// folder up (as in the build tree) and in a folder that is the whole PATH.
TEST_F(ReaderImageTest, TakesTheStrippedReaderFirstAndABuildBesideItBeforePath) {
  struct Case {
    std::vector<std::string> readers;  // relative to the scratch tree
    std::string chosen;                // empty: none is found
  } cases[] = {
      {{"tools/quire-reader", "tools/quire", "quire-reader", "bin/quire-reader"},
       "tools/quire-reader"},
      {{"tools/quire", "quire-reader"}, "quire-reader"},
      {{"tools/quire", "quire"}, "tools/quire"},
      {{"quire", "bin/quire-reader"}, "quire"},
      {{"bin/quire", "bin/quire-reader"}, "bin/quire-reader"},
      {{"bin/quire"}, "bin/quire"},
      {{"tools/quire-reader.txt"}, ""},
      {{}, ""},
  };
  Write("site/index.html", "<title>Start</title><p>x</p>");
  int n = 0;
  for (const Case& c : cases) {
    const std::string tree = Path("tree" + std::to_string(++n));
    fs::create_directories(tree + "/tools");
    fs::create_directories(tree + "/bin");
    fs::copy_file(testing::PackPath(), tree + "/tools/quire-pack");
    for (const std::string& reader : c.readers)
      fs::copy_file(kStrippedReader, tree + "/" + reader);
    ScopedEnv path("PATH", tree + "/bin");
    const std::string book = tree + "/book";
    RunResult r = testing::RunProgram(tree + "/tools/quire-pack",
                                      {"build", Path("site"), "-o", book}, m_tmp.Path());
    if (c.chosen.empty()) {
      ExpectFailure(r, 1, "cannot find the reader program 'quire-reader' or 'quire'", book);
    } else {
      EXPECT_EQ(r.exitCode, 0) << r.err;
      EXPECT_EQ(ReaderNamedBy(r), tree + "/" + c.chosen) << r.out;
    }
  }
}

// A reader that is there but cannot be run is passed over.
TEST_F(ReaderImageTest, PassesOverAReaderThatCannotRun) {
  const std::string tree = Path("tree");
  fs::create_directories(tree + "/tools");
  fs::copy_file(testing::PackPath(), tree + "/tools/quire-pack");
  fs::copy_file(kStrippedReader, tree + "/tools/quire-reader");
  ASSERT_EQ(chmod((tree + "/tools/quire-reader").c_str(), 0644), 0);
  fs::copy_file(kStrippedReader, tree + "/tools/quire");
  Write("site/index.html", "<p>x</p>");
  ScopedEnv path("PATH", tree + "/bin");
  RunResult r = testing::RunProgram(tree + "/tools/quire-pack",
                                    {"build", Path("site"), "-o", tree + "/book"}, m_tmp.Path());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReaderNamedBy(r), tree + "/tools/quire");
}

TEST_F(ReaderImageTest, ListShowsTheSizeOfTheReaderBeforeTheBook) {
  const std::string book = SimpleBook();
  const int64_t reader = FileSize(testing::ReaderPath());
  ASSERT_GT(reader, 0);
  RunResult table = Pack({"list", book});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_NE(table.out.find("\nReader   " + std::to_string(reader) + " bytes before the book\n"),
            std::string::npos)
      << table.out;
  RunResult json = Pack({"list", book, "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  std::optional<JsonValue> parsed = ParseJson(json.out);
  ASSERT_TRUE(parsed.has_value()) << json.out;
  EXPECT_EQ((*parsed)["readerSize"].number, reader);

  // Rebound onto the stripped reader, the book says so.
  RunResult rebound = Pack({"rebind", book, "-o", Path("rebound"), "--reader", kStrippedReader});
  ASSERT_EQ(rebound.exitCode, 0) << rebound.err;
  std::optional<JsonValue> again = ParseJson(Pack({"list", Path("rebound"), "--json"}).out);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ((*again)["readerSize"].number, FileSize(kStrippedReader));
}

#ifdef QUIRE_EXAMPLE_EXT_PATH
// scripts/run.sh builds the sample book with the example extension and no --reader: the
// book a new author sees first must stay small enough to mail.
TEST_F(ReaderImageTest, SampleBookAsTheRunScriptBuildsItIsAtMostOneMegabyte) {
#ifndef QUIRE_BOOK_BUILD
  GTEST_SKIP() << "only an optimized build without sanitizers makes the readers for books";
#endif
  const std::string book = Path("sample-book");
  RunResult r = Pack({"build", QUIRE_SAMPLE_BOOK_DIR, "--add", QUIRE_EXAMPLE_EXT_PATH, "-o", book});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReaderNamedBy(r), kStrippedReader);
  const int64_t size = FileSize(book);
  EXPECT_GT(size, FileSize(kStrippedReader));
  EXPECT_LE(size, 1000 * 1000) << "the sample book has grown to " << size << " bytes";
}
#endif

}  // namespace
}  // namespace quire::pack_tests
