// What quire-pack build prints for a site with many broken references: grouped warnings,
// a count by kind, one line for the book written and what the book can run, and what
// --verbose, --quiet and --strict change.
#include <regex>

#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class PackOutputTest : public PackCliTest {
 protected:
  // index.html: eight links into a folder that is not there and one out of the site;
  // sub/a.html: two broken links; a picture besides.
  void WriteSite() {
    Write("site/book.ini",
          "[book]\nsubfolders = flatten\n[colors]\nbackground = #FFFFFF\ntext = #000000\n"
          "box = #EEEEEE\nlink = #0000EE\nvisited-link = #551A8B\nhover = #EE0000\n");
    std::string index = "<title>Site</title>\n";
    for (int i = 0; i < 8; ++i)
      index += "<a href=\"api/" + std::to_string(i) + ".html\">x</a>\n";
    index += "<a href=\"../../etc/passwd\">out</a>\n<a href=\"sub/a.html\">a</a>\n";
    Write("site/index.html", index);
    Write("site/sub/a.html",
          "<title>A</title>\n<a href=\"b.html\">b</a>\n<a href=\"c.html\">c</a>\n");
    Write("site/logo.png", "\x89PNG");
  }
  std::string Broken(const char* prefix, const std::string& file, int line,
                     const std::string& ref) {
    return std::string("quire-pack: ") + prefix + file + ":" + std::to_string(line) +
           ": reference '" + ref + "' names no file of the site";
  }
  RunResult Build(std::vector<std::string> extra) {
    std::vector<std::string> args = {"build",           Path("site"), "-o",
                                     Path("site.book"), "--reader",   testing::ReaderPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    fs::remove(Path("site.book"));
    return Pack(args);
  }
};

TEST_F(PackOutputTest, WarningsAreGroupedCountedAndQuietenedAsAsked) {
  WriteSite();
  auto index = [&](const char* prefix, int i) {
    return Broken(prefix, "index.html", 2 + i, "api/" + std::to_string(i) + ".html");
  };
  auto rest = [&](const char* prefix) {
    return std::vector<std::string>{
        std::string("quire-pack: ") + prefix +
            "index.html:10: reference '../../etc/passwd' leads out of the site folder; left as "
            "it is",
        Broken(prefix, "sub/a.html", 2, "b.html"), Broken(prefix, "sub/a.html", 3, "c.html")};
  };
  auto grouped = [&](const char* prefix) {
    std::vector<std::string> lines;
    for (int i = 0; i < 5; ++i)
      lines.push_back(index(prefix, i));
    lines.push_back(std::string("quire-pack: ") + prefix + "... and 3 more in index.html");
    for (const std::string& l : rest(prefix))
      lines.push_back(l);
    return lines;
  };
  std::vector<std::string> all;
  for (int i = 0; i < 8; ++i)
    all.push_back(index("warning: ", i));
  for (const std::string& l : rest("warning: "))
    all.push_back(l);
  auto with = [](std::vector<std::string> lines, std::vector<std::string> more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
  };
  const std::string kCount =
      "11 warnings: 10 broken references, 1 reference out of the site folder";
  const std::string kFailLine =
      "quire-pack: 11 references could not be rewritten (--strict makes that an error); no book "
      "written";

  const struct {
    const char* name;
    std::vector<std::string> args;
    int code;
    std::vector<std::string> err;
    bool wrote;
  } cases[] = {
      {"grouped", {}, 0, with(grouped("warning: "), {"quire-pack: " + kCount}), true},
      {"verbose", {"--verbose"}, 0, with(all, {"quire-pack: " + kCount}), true},
      {"verbose -v", {"-v"}, 0, with(all, {"quire-pack: " + kCount}), true},
      {"quiet", {"--quiet"}, 0, {}, false},
      {"strict",
       {"--strict"},
       1,
       with(grouped("error: "),
            {"quire-pack: 11 errors: 10 broken references, 1 reference out of the site folder",
             kFailLine}),
       false},
      {"strict and quiet: the errors only",
       {"--strict", "-q"},
       1,
       with(grouped("error: "), {kFailLine}),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunResult r = Build(c.args);
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_EQ(Lines(r.err), c.err);
    EXPECT_EQ(PathExists(Path("site.book")), c.code == 0);
    if (c.wrote) {
      // One line: pages, other files, the book's size and the reader image's; then what
      // the book can run.
      std::regex line("Wrote " + Path("site.book") +
                      ": 2 pages, 1 other file, [0-9.]+ (bytes|KiB|MiB) book \\(reader image "
                      "[0-9.]+ (bytes|KiB|MiB), " +
                      testing::ReaderPath() +
                      "\\), 11 warnings\n"
                      "What the book can run:\n"
                      "  start-up script:     none\n"
                      "  exit script:         none\n"
                      "  script links:        no page or script holds any; they run "
                      "\\(page-commands = yes\\)\n"
                      "  extension libraries: none\n");
      EXPECT_TRUE(std::regex_match(r.out, line)) << r.out;
    } else {
      EXPECT_EQ(r.out, "");
    }
  }

  RunResult both = Build({"--quiet", "--verbose"});
  ExpectFailure(both, kUsage, "--quiet and --verbose exclude each other", Path("site.book"));
  // A dry run groups the same way and still counts every warning.
  RunResult dry = Pack({"build", Path("site"), "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  EXPECT_EQ(Lines(dry.err), with(grouped("warning: "), {"quire-pack: " + kCount}));
  EXPECT_EQ(Lines(dry.out).back(), "3 files, 11 warnings; no book written (--dry-run)");
}

TEST_F(PackOutputTest, QuietBuildWithoutManifestPrintsNothing) {
  Write("plain/index.html", "<title>Plain</title>");
  ScopedEnv epoch("SOURCE_DATE_EPOCH", "soon");  // warned about without --quiet
  RunResult r = Pack(
      {"build", Path("plain"), "-o", Path("plain.book"), "--reader", testing::ReaderPath(), "-q"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(PathExists(Path("plain.book")));
}

}  // namespace
}  // namespace quire::pack_tests
