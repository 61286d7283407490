// quire-pack build --flatten on a small site with subfolders, run as a user runs it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "pages/reader_context.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"
#include "tools/json_value.h"
#include "tools/pack_runner.h"

namespace quire {
namespace {

namespace fs = std::filesystem;
using testing::ParseJson;
using testing::PathExists;
using testing::ReadWholeFile;
using testing::RunPack;
using testing::RunResult;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr char kFixture[] = QUIRE_SITE_FIXTURE_DIR;

std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

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

// The fixture site copied into the test's own folder, with the symbolic links a real
// documentation tree has: a script linked to a shared copy outside the site, a link back
// up the tree and a link to nothing.
class FlattenCliTest : public ::testing::Test {
 protected:
  FlattenCliTest() {
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
    fs::copy(kFixture, Site(), fs::copy_options::recursive);
    fs::create_directories(m_tmp.File("shared"));
    WriteWholeFile(m_tmp.File("shared/lib.js"), "var shared = 1;\n");
    fs::create_symlink("../../shared/lib.js", Site() + "/_static/lib.js");
    fs::create_symlink("..", Site() + "/library/loop");
    fs::create_symlink("nowhere.png", Site() + "/images/gone.png");
  }
  ~FlattenCliTest() override { unsetenv("SOURCE_DATE_EPOCH"); }

  std::string Site() const { return m_tmp.File("site"); }
  std::string Path(const std::string& name) const { return m_tmp.File(name); }
  RunResult Pack(std::vector<std::string> args) { return RunPack(args, m_tmp.Path()); }
  RunResult Build(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"build",           Site(),     "-o",
                                     Path("site.book"), "--reader", testing::ReaderPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Pack(args);
  }

  ScopedTmpdir m_tmp;
};

// What a build without colours in its manifest notes.
constexpr char kPaletteNote[] =
    "quire-pack: note: no colours set; the contents, search and about pages get the readable "
    "palette (background #FFFFFF, text #1F1F1F, box #F2F4F7, link #0645AD, visited-link "
    "#6B2FA0, hover #B3261E)";

// What every flattened build of the fixture warns about, in order.
std::vector<std::string> ExpectedWarnings() {
  return {
      "quire-pack: note: no book.ini in SITE; building with every default",
      kPaletteNote,
      "quire-pack: warning: images/gone.png: a symbolic link that leads nowhere; left out",
      "quire-pack: warning: library/loop: a symbolic link back to a folder that holds it; not "
      "followed",
      "quire-pack: warning: a.b/c.html: stored as 'a.b.c-2.html', since 'a.b.c.html' is the "
      "name of a/b.c.html",
      // index.html links "##SEARCH('os')": a site's pages are web pages.
      "quire-pack: warning: 1 page or script holds script links (##, #!, #@); the book shows "
      "them and never runs them, as a site without book.ini is made of web pages. To let them "
      "run, set \"page-commands = yes\" in [book] of a book.ini",
      "quire-pack: warning: index.html:15: reference 'missing.html' names no file of the site",
      "quire-pack: warning: index.html:16: reference '../../etc/passwd' leads out of the site "
      "folder; left as it is",
      "quire-pack: warning: _static/app.js:3: a script builds the reference '.html'; references "
      "built by scripts are not rewritten",
      "quire-pack: warning: _static/style.css:4: reference 'gone.png' names no file of the site",
      "quire-pack: 8 warnings: 2 broken references, 1 reference out of the site folder, 1 "
      "address built by a script, 1 renamed file, 2 links or folders left out, 1 other warning",
  };
}

std::string WithSite(std::string text, const std::string& site) {
  for (size_t at; (at = text.find(site)) != std::string::npos;)
    text.replace(at, site.size(), "SITE");
  return text;
}

TEST_F(FlattenCliTest, SiteBecomesABookOfPlainNamesWithItsLinksRewritten) {
  RunResult r = Build({"--flatten"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(WithSite(r.err, Site())), ExpectedWarnings());
  EXPECT_NE(r.out.find(", 8 warnings"), std::string::npos) << r.out;

  ASSERT_EQ(Pack({"extract", Path("site.book"), Path("x")}).exitCode, 0);
  EXPECT_EQ(Listing(Path("x")),
            (std::vector<std::string>{"_static.app.js", "_static.lib.js", "_static.print.css",
                                      "_static.style.css", "a.b.c-2.html", "a.b.c.html",
                                      "about.index.html", "images.logo.png", "images.logo@2x.png",
                                      "index.html", "legacy.latin1.html", "library.index.html",
                                      "library.notitle.html", "library.os.html"}));

  // The stored bytes: the original file with only the addresses replaced.
  const struct {
    const char* stored;
    const char* original;
    std::vector<std::pair<std::string, std::string>> replaced;  // in the original's order
  } files[] = {
      {"index.html",
       "index.html",
       {{"\"_static/style.css?v=3\"", "\"_static.style.css?v=3\""},
        {"\"_static/app.js\"", "\"_static.app.js\""},
        {"\"library/os.html#os.path\"", "\"library.os.html#os.path\""},
        {"\"library/\"", "\"library.index.html\""},
        {"\"about/\"", "\"about.index.html\""},
        {"src=\"images/logo.png\"", "src=\"images.logo.png\""},
        {"\"images/logo.png 1x, images/logo%402x.png 2x\"",
         "\"images.logo.png 1x, images.logo%402x.png 2x\""},
        {"\"a/b.c.html\"", "\"a.b.c.html\""},
        {"\"a.b/c.html\"", "\"a.b.c-2.html\""}}},
      {"library.os.html",
       "library/os.html",
       {{"url('../images/logo.png')", "url('images.logo.png')"},
        {"url(&quot;../images/logo.png&quot;)", "url(&quot;images.logo.png&quot;)"},
        {"\"os.html#os.path\"", "\"library.os.html#os.path\""},
        {"href=../index.html>", "href=index.html>"},
        {"\"../library\"", "\"library.index.html\""}}},
      {"library.index.html",
       "library/index.html",
       {{"\"os.html\"", "\"library.os.html\""},
        {"\"notitle.html\"", "\"library.notitle.html\""},
        {"\"../index.html\"", "\"index.html\""}}},
      {"about.index.html",
       "about/index.html",
       {{"url=../index.html", "url=index.html"},
        {"\"../images/logo.png\"", "\"images.logo.png\""},
        {"\"../library/os.html\"", "\"library.os.html\""}}},
      {"a.b.c.html", "a/b.c.html", {{"\"../a.b/c.html\"", "\"a.b.c-2.html\""}}},
      {"a.b.c-2.html", "a.b/c.html", {{"\"../a/b.c.html\"", "\"a.b.c.html\""}}},
      {"legacy.latin1.html",
       "legacy/latin1.html",
       {{"\"../library/os.html\"", "\"library.os.html\""},
        {"\"../images/logo.png\"", "\"images.logo.png\""}}},
      {"_static.style.css",
       "_static/style.css",
       {{"\"print.css\"", "\"_static.print.css\""},
        {"url(../images/logo.png)", "url(images.logo.png)"}}},
      {"_static.app.js", "_static/app.js", {}},
      {"_static.print.css", "_static/print.css", {}},
      {"images.logo.png", "images/logo.png", {}},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.stored);
    std::string expected = *ReadWholeFile(std::string(kFixture) + "/" + f.original);
    size_t from = 0;
    for (const auto& [before, after] : f.replaced) {
      size_t at = expected.find(before, from);
      ASSERT_NE(at, std::string::npos) << before;
      expected.replace(at, before.size(), after);
      from = at + after.size();
    }
    EXPECT_EQ(ReadWholeFile(Path("x/") + f.stored), expected);
  }
  EXPECT_EQ(ReadWholeFile(Path("x/_static.lib.js")), "var shared = 1;\n");

  // Titles: <title>, else the first <h1>; contents sort keys in the site's reading order:
  // the index page, the pages it links to in the order of its links, the pages those link
  // to, then the pages no link reaches.
  RunResult listed = Pack({"list", Path("site.book"), "--json"});
  std::optional<testing::JsonValue> json = ParseJson(listed.out);
  ASSERT_TRUE(json) << listed.out;
  std::vector<std::pair<std::string, std::string>> pages;  // sort key order
  for (const testing::JsonValue& f : (*json)["files"].items) {
    if (!f["sortKey"].text.empty())
      pages.emplace_back(f["sortKey"].text, f["name"].text + " | " + f["title"].text);
  }
  std::sort(pages.begin(), pages.end());
  std::vector<std::string> order;
  for (const auto& p : pages)
    order.push_back(p.second);
  EXPECT_EQ(order,
            (std::vector<std::string>{
                "index.html | Fixture Site", "library.os.html | os \xe2\x80\x94 Operating system",
                "library.index.html | Library", "about.index.html | About",
                "a.b.c.html | First of a pair", "a.b.c-2.html | Second of a pair",
                "library.notitle.html | A page without a title",  // from library/
                "legacy.latin1.html | Caf\xc3\xa9",  // unlinked; list shows Latin-1 as UTF-8
            }));
  EXPECT_EQ((*json)["settings"]["title"].text, "Fixture Site");
}

TEST_F(FlattenCliTest, DryRunPrintsTheNameMapAndWritesNothing) {
  RunResult r = Pack({"build", Site(), "--flatten", "--dry-run"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out), (std::vector<std::string>{
                              "index.html -> index.html",
                              "_static/app.js -> _static.app.js",
                              "_static/lib.js -> _static.lib.js",
                              "_static/print.css -> _static.print.css",
                              "_static/style.css -> _static.style.css",
                              "a/b.c.html -> a.b.c.html",
                              "a.b/c.html -> a.b.c-2.html",
                              "about/index.html -> about.index.html",
                              "images/logo.png -> images.logo.png",
                              "images/logo@2x.png -> images.logo@2x.png",
                              "legacy/latin1.html -> legacy.latin1.html",
                              "library/index.html -> library.index.html",
                              "library/notitle.html -> library.notitle.html",
                              "library/os.html -> library.os.html",
                              "What the book can run:",
                              "  start-up script:     none",
                              "  exit script:         none",
                              "  script links:        1 page or script holds them; shown, never "
                              "run (page-commands = no)",
                              "  extension libraries: none",
                              "14 files, 8 warnings; no book written (--dry-run)",
                          }));
  EXPECT_EQ(Lines(WithSite(r.err, Site())), ExpectedWarnings());
  EXPECT_FALSE(PathExists(Path("site.book")));
}

TEST_F(FlattenCliTest, StrictMakesUnresolvedReferencesErrors) {
  RunResult r = Build({"--flatten", "--strict"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(PathExists(Path("site.book")));
  std::vector<std::string> lines = Lines(r.err);
  std::vector<std::string> errors;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(errors),
               [](const std::string& l) { return l.rfind("quire-pack: error: ", 0) == 0; });
  EXPECT_EQ(errors, (std::vector<std::string>{
                        "quire-pack: error: index.html:15: reference 'missing.html' names no "
                        "file of the site",
                        "quire-pack: error: index.html:16: reference '../../etc/passwd' leads "
                        "out of the site folder; left as it is",
                        "quire-pack: error: _static/app.js:3: a script builds the reference "
                        "'.html'; references built by scripts are not rewritten",
                        "quire-pack: error: _static/style.css:4: reference 'gone.png' names no "
                        "file of the site",
                    }));
  EXPECT_EQ(lines.back(),
            "quire-pack: 4 references could not be rewritten (--strict makes that an error); no "
            "book written");
  // A collision is no broken reference: it stays a warning.
  EXPECT_NE(r.err.find("warning: a.b/c.html: stored as"), std::string::npos);
}

TEST_F(FlattenCliTest, SubfoldersAreKeptWithoutTheOptionAndFlattenedOrRefusedByTheManifestKey) {
  RunResult kept = Build();
  EXPECT_EQ(kept.exitCode, 0) << kept.err;
  RunResult listed = Pack({"list", Path("site.book"), "--json"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("\"name\": \"library/os.html\""), std::string::npos) << listed.out;
  EXPECT_EQ(kept.err.find("built by"), std::string::npos) << kept.err;

  const struct {
    const char* manifest;
    int code;
    const char* message;
  } cases[] = {
      {"[book]\nsubfolders = flatten\n", 0, ""},
      {"[book]\nsubfolders = Flatten\nignore = legacy/ _static/*.js\n", 0, ""},
      {"[book]\nsubfolders = keep\n", 0, ""},
      {"[book]\nsubfolders = refuse\n", 1, "a subfolder, and [book] says \"subfolders = refuse\""},
      {"[book]\nsubfolders = sometimes\n", 1,
       "book.ini:2: [book] subfolders: expected keep, flatten or refuse, not 'sometimes'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.manifest);
    ASSERT_TRUE(WriteWholeFile(Site() + "/book.ini", c.manifest));
    fs::remove(Path("site.book"));
    RunResult r = Build();
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("note: no book.ini"), std::string::npos);
    EXPECT_EQ(PathExists(Path("site.book")), c.code == 0);
  }
  // The ignore patterns of the second case work on paths at any depth.
  ASSERT_TRUE(WriteWholeFile(Site() + "/book.ini",
                             "[book]\nsubfolders = flatten\nignore = legacy/ _static/*.js\n"));
  RunResult r = Pack({"build", Site(), "--dry-run"});
  EXPECT_EQ(r.out.find("legacy"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(".js ->"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("_static/style.css -> _static.style.css"), std::string::npos) << r.out;
}

TEST_F(FlattenCliTest, FolderWithoutManifestBuildsWithANoteButAMissingManifestOptionFails) {
  std::string flat = Path("flat");
  fs::create_directories(flat);
  ASSERT_TRUE(WriteWholeFile(flat + "/index.html", "<title>Flat</title>"));
  RunResult r = Pack({"build", flat, "-o", Path("flat.book"), "--reader", testing::ReaderPath()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "quire-pack: note: no book.ini in " + flat + "; building with every default\n" +
                       kPaletteNote + "\n");
  RunResult missing = Pack({"build", flat, "-o", Path("other.book"), "--manifest", Path("nope.ini"),
                            "--reader", testing::ReaderPath()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot read the manifest " + Path("nope.ini")), std::string::npos)
      << missing.err;
  EXPECT_FALSE(PathExists(Path("other.book")));
}

// The reader's own loader extracts the book; every address in its pages and style sheets
// that points into the book names a file it extracted, except the broken ones the
// warnings listed.
TEST_F(FlattenCliTest, EveryRewrittenReferenceNamesAFileTheReaderExtracts) {
  ReaderContext context;
  testing::FakeWindow window{context.window};
  testing::TestBook book;
  RunResult r = Build({"--flatten"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  book.WriteBytesFor(context, *ReadWholeFile(Path("site.book")));
  ASSERT_FALSE(testing::LoadAsTheReaderDoes(context).IsFatal());
  book.Settings().esbn = context.book.Esbn();  // where the load extracted to
  EXPECT_EQ(context.book.StartPage(), book.Folder() + "index.html");
  EXPECT_TRUE(window.messages.empty());

  std::regex address(R"re((?:href|src|data|poster|url)\s*[=(]\s*(?:&quot;)?["']?([^"'\s)>&]+))re",
                     std::regex::icase);
  std::vector<std::string> unresolved;
  int checked = 0;
  for (const auto& e : fs::directory_iterator(book.Folder())) {
    std::string name = e.path().filename();
    std::string ext = e.path().extension();
    if (ext != ".html" && ext != ".css")
      continue;
    std::string text = *ReadWholeFile(e.path());
    text = std::regex_replace(text, std::regex(R"(/\*[^*]*\*/)"), "");  // CSS comments
    for (std::sregex_iterator it(text.begin(), text.end(), address), end; it != end; ++it) {
      std::string ref = (*it)[1];
      if (ref.find(':') != std::string::npos || ref[0] == '#')
        continue;
      std::string path = ref.substr(0, ref.find_first_of("?#"));
      if (path.empty())
        continue;
      for (size_t at; (at = path.find("%40")) != std::string::npos;)
        path.replace(at, 3, "@");
      ++checked;
      if (path.find('/') != std::string::npos || !PathExists(book.Folder() + path))
        unresolved.push_back(name + ": " + ref);
    }
  }
  std::sort(unresolved.begin(), unresolved.end());
  EXPECT_EQ(unresolved,
            (std::vector<std::string>{"_static.style.css: gone.png", "index.html: ../../etc/passwd",
                                      "index.html: missing.html"}));
  EXPECT_GE(checked, 25);
}

TEST_F(FlattenCliTest, RunBuildsIntoATemporaryFileReadsItAndRemovesIt) {
  // The real reader without a display: it reads the whole book, says it has nowhere to
  // show it, cleans up and ends with 1, which run passes on.
  testing::ScopedEnv noX("DISPLAY", std::nullopt);
  testing::ScopedEnv noWayland("WAYLAND_DISPLAY", std::nullopt);
  const struct {
    const char* name;
    std::vector<std::string> args;
    int code;
    const char* out;  // what the reader printed
    const char* err;
  } cases[] = {
      {"the reader without a display",
       {"--flatten", "--reader", testing::ReaderPath()},
       1,
       "",
       "quire: cannot open display"},
      {"a reader that fails", {"--flatten", "--reader", "/bin/false"}, 1, "", ""},
      {"a build error",
       {"--reader", testing::ReaderPath(), "--add", "/nonexistent/x.html"},
       1,
       "",
       "--add /nonexistent/x.html: /nonexistent/x.html is not a readable file"},
      {"the folders kept",
       {"--reader", testing::ReaderPath()},
       1,
       "",
       "quire: cannot open display"},
      {"a usage error", {"--flatten", "-o", "x"}, 2, "", "unknown option -o"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"run", Site()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = Pack(args);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, c.code) << r.err;
    EXPECT_EQ(r.out.substr(0, std::string(c.out).size()), c.out) << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    // Nothing of quire-pack is left in the temporary folder.
    for (const std::string& name : Listing(m_tmp.Path()))
      EXPECT_EQ(name.rfind("quire-pack-", 0), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace quire
