// Books that keep the folders of their source: build stores the tree as it is, list shows
// the paths, extract gives the tree back byte for byte (never through a link, never
// outside its folder), rebind keeps it, and the dry run shows it.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

// Every file below `dir` (links not followed), as path -> bytes.
std::map<std::string, std::string> Tree(const std::string& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file())
      files[it->path().lexically_relative(dir).string()] = *ReadWholeFile(it->path());
  }
  return files;
}

class PackFoldersTest : public PackCliTest {
 protected:
  // A site two folders deep, with names that need escaping in a URL, a program and a file
  // packing would not shrink.
  void WriteSite() {
    Write("site/index.html",
          "<title>Start</title><a href=\"guide/intro.html\">Intro</a> "
          "<a href=\"guide/deep/caf%C3%A9%20%231.html\">Deep</a>");
    Write("site/guide/intro.html", "<title>Intro</title><script src=\"../static/find.js\">");
    Write("site/guide/deep/caf\xC3\xA9 #1.html", "<h1>Deep &amp; down</h1>");
    Write("site/static/find.js", "var root = '../';\n");
    Write("site/static/img/pic.png", RandomBytes(5000, 7));
    Write("site/tools/run.sh", "#!/bin/sh\necho run\n");
    Write("site/empty/nothing.txt", "");
  }
  RunResult Build(const std::string& source = "site", const std::string& book = "site.book") {
    return Pack({"build", Path(source), "-o", Path(book), "--reader", testing::ReaderPath(), "-q"});
  }
};

TEST_F(PackFoldersTest, BuildListExtractAndRebindKeepTheTreeByteForByte) {
  WriteSite();
  ASSERT_EQ(Build().exitCode, 0);

  RunResult listed = Pack({"list", "--json", Path("site.book")});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  std::optional<JsonValue> json = ParseJson(listed.out);
  ASSERT_TRUE(json.has_value());
  std::vector<std::string> names;
  for (const JsonValue& f : (*json)["files"].items)
    names.push_back(f["name"].text);
  // The pages in the order a reader meets them, then the rest in path order, then the
  // search texts of the pages, stored under their paths.
  EXPECT_EQ(names, (std::vector<std::string>{"index.html", "guide/intro.html",
                                             "guide/deep/caf\xC3\xA9 #1.html", "empty/nothing.txt",
                                             "static/find.js", "static/img/pic.png", "tools/run.sh",
                                             "__search.text"}));
  EXPECT_EQ((*json)["files"][2]["title"].text, "Deep & down");

  RunResult extracted = Pack({"extract", Path("site.book"), Path("out"), "-q"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_EQ(Tree(Path("out")), Tree(Path("site")));
  struct stat st {};
  ASSERT_EQ(stat(Path("out/tools/run.sh").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
  ASSERT_EQ(stat(Path("out/static/find.js").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & S_IXUSR, 0u);

  RunResult rebound = Pack({"rebind", Path("site.book"), "-o", Path("re.book"), "--reader",
                            testing::ReaderPath(), "-q"});
  ASSERT_EQ(rebound.exitCode, 0) << rebound.err;
  ASSERT_EQ(Pack({"extract", Path("re.book"), Path("re"), "-q"}).exitCode, 0);
  EXPECT_EQ(Tree(Path("re")), Tree(Path("site")));
  std::optional<JsonValue> relisted = ParseJson(Pack({"list", "--json", Path("re.book")}).out);
  ASSERT_TRUE(relisted.has_value());
  EXPECT_EQ((*relisted)["files"].items.size(), names.size());

  // And a build from what extract wrote, with its manifest, gives the same files again.
  ASSERT_EQ(Pack({"extract", "--manifest", Path("site.book"), Path("again"), "-q"}).exitCode, 0);
  ASSERT_EQ(Build("again", "again.book").exitCode, 0);
  ASSERT_EQ(Pack({"extract", Path("again.book"), Path("again-out"), "-q"}).exitCode, 0);
  std::map<std::string, std::string> again = Tree(Path("again-out"));
  EXPECT_EQ(again, Tree(Path("site")));
}

TEST_F(PackFoldersTest, TheDryRunShowsTheTree) {
  WriteSite();
  RunResult r = Pack({"build", Path("site"), "--dry-run"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "index.html\n"
            "empty/\n"
            "  nothing.txt\n"
            "guide/\n"
            "  deep/\n"
            "    caf\xC3\xA9 #1.html\n"
            "  intro.html\n"
            "static/\n"
            "  find.js\n"
            "  img/\n"
            "    pic.png\n"
            "tools/\n"
            "  run.sh\n"
            "What the book can run:\n"
            "  start-up script:     none\n"
            "  exit script:         none\n"
            "  script links:        no page or script holds any; shown, never run "
            "(page-commands = no)\n"
            "  extension libraries: none\n"
            "7 files, 0 warnings; no book written (--dry-run)\n");
}

// The folder extract writes into holds links of someone else's: a link where a folder of
// the book goes, and one where a file goes. Nothing is written through either.
TEST_F(PackFoldersTest, ExtractNeverWritesThroughALink) {
  WriteSite();
  ASSERT_EQ(Build().exitCode, 0);
  Write("elsewhere/sentinel.txt", "mine");
  fs::create_directories(Path("out"));
  ASSERT_EQ(symlink(Path("elsewhere").c_str(), Path("out/guide").c_str()), 0);
  ASSERT_EQ(symlink(Path("elsewhere/sentinel.txt").c_str(), Path("out/index.html").c_str()), 0);
  RunResult r = Pack({"extract", Path("site.book"), Path("out")});
  ExpectFailure(r, kFailed, "guide is a symbolic link; nothing is written through it");
  EXPECT_NE(r.err.find("index.html exists already"), std::string::npos) << r.err;
  EXPECT_EQ(Tree(Path("elsewhere")),
            (std::map<std::string, std::string>{{"sentinel.txt", "mine"}}));
  EXPECT_EQ(*ReadWholeFile(Path("out/static/find.js")), "var root = '../';\n");

  // --force replaces the link to a file by the file, and still never follows the folder's.
  r = Pack({"extract", "--force", Path("site.book"), Path("out")});
  EXPECT_EQ(r.exitCode, kFailed);
  EXPECT_EQ(Tree(Path("elsewhere")),
            (std::map<std::string, std::string>{{"sentinel.txt", "mine"}}));
  struct stat st {};
  ASSERT_EQ(lstat(Path("out/index.html").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

// A book of ours may store any valid path, wherever it came from; extract keeps each one
// inside its folder, and a name the reader would not extract is not extracted either.
TEST_F(PackFoldersTest, ExtractKeepsEveryNameInsideItsFolder) {
  TestBook book;
  book.Input().image = "IMG";
  book.Input().features.recorded = true;
  book.AddPage("index.html", "<p>ok</p>");
  book.AddFile("a/b/c.txt", "deep");
  book.AddFile("a/../../escape.txt", "bad");
  book.AddFile("a", "file in the way");
  book.AddFile("x/y", "first");
  book.AddFile("x/y/z.txt", "through a file");
  Write("names.book", book.Bytes());
  RunResult r = Pack({"extract", Path("names.book"), Path("out")});
  ExpectFailure(r, kFailed, "'a/../../escape.txt' is not extracted: not a name the reader");
  EXPECT_NE(r.err.find("'a/b/c.txt' is not extracted: its folder is a file of the book"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Tree(Path("out")),
            (std::map<std::string, std::string>{
                {"a", "file in the way"}, {"index.html", "<p>ok</p>"}, {"x/y", "first"}}));
  EXPECT_FALSE(PathExists(Path("escape.txt")));
}

// A name the reader refuses as damaged (beyond the limits) makes the whole book one the
// tools refuse too.
TEST_F(PackFoldersTest, NamesBeyondTheLimitsAreADamagedBook) {
  TestBook book;
  book.Input().image = "IMG";
  book.Input().features.recorded = true;
  book.AddPage("index.html", "<p>ok</p>");
  std::string deep = "d";
  for (int i = 0; i < 32; ++i)
    deep += "/d";
  book.AddFile(deep, "too deep");
  Write("deep.book", book.Bytes());
  for (const char* command : {"list", "extract"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> args = {command, Path("deep.book")};
    if (std::string(command) == "extract")
      args.push_back(Path("out"));
    ExpectFailure(Pack(args), kFailed, "damaged book");
  }
}

}  // namespace
}  // namespace quire::pack_tests
