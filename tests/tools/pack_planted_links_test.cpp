// Links that someone else placed in the folder quire-pack extracts into, waiting for the
// names it writes: nothing may be written through them.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

class PlantedLinksTest : public PackCliTest {
 protected:
  // A book with a splash picture, so that --manifest writes both book.ini and splash.bmp.
  std::string BookWithSplash() {
    TestBook book;
    book.Input().image = "IMG";
    book.Input().splashBitmap = testing::MakeBmp(4, 4, 1, 2, 3);
    book.AddPage("index.html", "<p>ok</p>");
    Write("splash.book", book.Bytes());
    return Path("splash.book");
  }
  void Plant(const std::string& name, const std::string& target) {
    ASSERT_EQ(symlink(Path(target).c_str(), Path(name).c_str()), 0) << name;
  }
  bool IsLink(const std::string& name) {
    struct stat info {};
    return lstat(Path(name).c_str(), &info) == 0 && S_ISLNK(info.st_mode);
  }
};

TEST_F(PlantedLinksTest, ManifestFilesAreNeverWrittenThroughALink) {
  const std::string book = BookWithSplash();
  Write("victim/precious", "precious");
  // The names the manifest's files were once written under before their rename.
  ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
  Plant("out/book.ini.part", "victim/precious");
  Plant("out/splash.bmp.part", "victim/precious");
  Plant("out/book.ini.part2", "victim/new");
  RunResult r = Pack({"extract", "--manifest", book, Path("out")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadWholeFile(Path("victim/precious")), "precious");
  EXPECT_FALSE(PathExists(Path("victim/new")));
  EXPECT_TRUE(IsLink("out/book.ini.part"));
  EXPECT_TRUE(IsLink("out/splash.bmp.part"));
  EXPECT_NE(ReadWholeFile(Path("out/book.ini")).value_or("").find("[book]"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(Path("out/splash.bmp")), testing::MakeBmp(4, 4, 1, 2, 3));
  // Nothing of the staging folder is left behind.
  EXPECT_EQ(Listing(Path("out")),
            (std::vector<std::string>{"book.ini", "book.ini.part", "book.ini.part2", "index.html",
                                      "splash.bmp", "splash.bmp.part"}));
}

// A link at a name extract writes is an existing entry, also when it leads nowhere: kept
// without --force, and with --force replaced by the file itself, never followed.
TEST_F(PlantedLinksTest, LinksAtTheNamesExtractWritesAreReplacedOnlyWithForce) {
  const std::string book = BookWithSplash();
  struct {
    std::string target;  // what the links point at
    bool force;
  } const cases[] = {
      {"victim/precious", false},
      {"victim/missing", false},
      {"victim/precious", true},
      {"victim/missing", true},
  };
  for (const auto& c : cases) {
    const std::string label = c.target + (c.force ? " --force" : "");
    std::error_code ec;
    fs::remove_all(Path("out"), ec);
    fs::remove_all(Path("victim"), ec);
    Write("victim/precious", "precious");
    ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
    for (const char* name : {"out/book.ini", "out/splash.bmp", "out/index.html"})
      Plant(name, c.target);
    std::vector<std::string> args = {"extract", "--manifest", book, Path("out")};
    if (c.force)
      args.push_back("--force");
    RunResult r = Pack(args);
    EXPECT_EQ(ReadWholeFile(Path("victim/precious")), "precious") << label;
    EXPECT_FALSE(PathExists(Path("victim/missing"))) << label;
    if (c.force) {
      EXPECT_EQ(r.exitCode, 0) << label << ": " << r.err;
      EXPECT_FALSE(IsLink("out/book.ini")) << label;
      EXPECT_FALSE(IsLink("out/splash.bmp")) << label;
      EXPECT_EQ(ReadWholeFile(Path("out/index.html")), "<p>ok</p>") << label;
      EXPECT_EQ(ReadWholeFile(Path("out/splash.bmp")), testing::MakeBmp(4, 4, 1, 2, 3)) << label;
    } else {
      ExpectFailure(r, kFailed, Path("out/book.ini") + " exists already (use --force");
      EXPECT_NE(r.err.find(Path("out/splash.bmp") + " exists already"), std::string::npos)
          << label << ": " << r.err;
      EXPECT_NE(r.err.find(Path("out/index.html") + " exists already; not replaced"),
                std::string::npos)
          << label << ": " << r.err;
      EXPECT_TRUE(IsLink("out/book.ini")) << label;
      EXPECT_TRUE(IsLink("out/splash.bmp")) << label;
      EXPECT_TRUE(IsLink("out/index.html")) << label;
    }
    EXPECT_EQ(Listing(Path("out")),
              (std::vector<std::string>{"book.ini", "index.html", "splash.bmp"}))
        << label;
  }
}

}  // namespace
}  // namespace quire::pack_tests
