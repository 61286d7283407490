#include "book_plan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "default_identity.h"
#include "ini_document.h"
#include "support/scoped_tmpdir.h"
#include "tools/pack_runner.h"

namespace quire::pack {
namespace {

using quire::testing::ScopedTmpdir;
using quire::testing::WriteWholeFile;

// A source folder in the test's own temporary folder, and the plan made from it.
class BookPlanTest : public ::testing::Test {
 protected:
  BookPlanTest() : m_dir(m_tmp.File("src")) { mkdir(m_dir.c_str(), 0700); }

  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(m_dir + "/" + name, bytes));
  }

  // Plans the folder with `manifestText` as its book.ini; returns the error ("" if none).
  std::string Plan(const std::string& manifestText, std::vector<std::string> extra = {}) {
    PlanInput input;
    input.sourceDir = m_dir;
    input.extraFiles = std::move(extra);
    input.buildTime = 1700000000;
    IniDocument doc;
    std::string error;
    if (!ParseIni(manifestText, "book.ini", &doc, &error) ||
        !ReadManifest(doc, "book.ini", &input.manifest, &error)) {
      return error;
    }
    PlannedBook book;
    const bool planned = PlanBook(input, &book, &error);
    m_record = std::move(book.record);
    // What may not work in the book, references included.
    m_warnings = std::move(book.warnings);
    m_warnings.insert(m_warnings.end(), book.report.referenceIssues.begin(),
                      book.report.referenceIssues.end());
    return planned ? "" : error;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const BookFileInput& f : m_record.files)
      names.push_back(f.entry.fileName);
    return names;
  }

  const EBookFile& Entry(const std::string& name) const {
    for (const BookFileInput& f : m_record.files) {
      if (f.entry.fileName == name)
        return f.entry;
    }
    static EBookFile none;
    ADD_FAILURE() << "no entry " << name;
    return none;
  }

  ScopedTmpdir m_tmp;
  std::string m_dir;
  BookSpec m_record;
  std::vector<std::string> m_warnings;
};

TEST_F(BookPlanTest, FilesTheManifestDoesNotDescribeGetDefaultsByKind) {
  Write("index.html", "<title>Welcome</title><meta name=description content=Start>[={x}]");
  Write("plain.htm", "<p>no title</p>");
  Write("style.css", "body{}");
  Write("photo.JPG", "\xFF\xD8\xFF");
  Write("script.txt", "MESSAGEBOX('[={x}]')");
  ASSERT_EQ(Plan(""), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"index.html", "photo.JPG", "plain.htm", "script.txt",
                                               "style.css"}));
  const EBookFile& index = Entry("index.html");
  EXPECT_TRUE(index.searchable);
  EXPECT_TRUE(index.inContents);
  EXPECT_TRUE(index.packed);
  EXPECT_TRUE(index.expandVariables);
  EXPECT_EQ(index.title, "Welcome");
  EXPECT_EQ(index.description, "Start");
  EXPECT_EQ(Entry("plain.htm").title, "plain.htm");
  EXPECT_FALSE(Entry("plain.htm").expandVariables);
  EXPECT_FALSE(Entry("style.css").searchable);
  EXPECT_FALSE(Entry("style.css").inContents);
  EXPECT_FALSE(Entry("photo.JPG").packed);
  EXPECT_TRUE(Entry("script.txt").expandVariables);
  EXPECT_EQ(m_record.settings.title, "Welcome");
  EXPECT_EQ(m_record.settings.esbn, DefaultEsbn("Welcome", "src"));
  EXPECT_EQ(m_record.bookId, m_record.settings.esbn);
  EXPECT_TRUE(m_warnings.empty());
}

TEST_F(BookPlanTest, DescribedFilesComeFirstInManifestOrderWithTheirTexts) {
  Write("a.html", "<title>A</title>");
  Write("b.html", "<title>B</title>");
  Write("c.html", "<title>C</title>");
  Write("draft.html", "x");
  Write("notes~", "x");
  Write(".hidden", "x");
  ASSERT_EQ(Plan("[file:c.html]\ntitle = Third\ncontents = no\npacked = no\n"
                 "[file:b.html]\nsort-key = 2\n[file:draft.html]\ninclude = no\n"),
            "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.html", "b.html", "a.html"}));
  EXPECT_EQ(Entry("c.html").title, "Third");
  EXPECT_FALSE(Entry("c.html").inContents);
  EXPECT_FALSE(Entry("c.html").packed);
  EXPECT_TRUE(Entry("c.html").searchable);
  EXPECT_EQ(Entry("b.html").sortKey, "2");
  ASSERT_EQ(m_warnings.size(), 1u);  // no index page
  EXPECT_NE(m_warnings[0].find("Index file not found!"), std::string::npos);
}

TEST_F(BookPlanTest, SubfoldersAreKeptUnlessRefusedIgnoredOrPickedFrom) {
  Write("index.html", "x");
  ASSERT_EQ(mkdir((m_dir + "/img").c_str(), 0700), 0);
  Write("img/logo.gif", "GIF89a");
  ASSERT_EQ(Plan(""), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"index.html", "img/logo.gif"}));
  EXPECT_EQ(m_record.files[1].sourcePath, m_dir + "/img/logo.gif");
  std::string error = Plan("[book]\nsubfolders = refuse\n");
  EXPECT_NE(error.find("/img: a subfolder, and [book] says \"subfolders = refuse\""),
            std::string::npos)
      << error;
  EXPECT_EQ(Plan("[book]\nsubfolders = refuse\nignore = img/\n"), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"index.html"}));
  EXPECT_EQ(Plan("[book]\nsubfolders = refuse\nignore = img\n[file:logo.gif]\nsource = "
                 "img/logo.gif\n"),
            "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"logo.gif", "index.html"}));
  EXPECT_FALSE(Entry("logo.gif").packed);
  // Keeping the folders, a section's source is stored under its name too.
  EXPECT_EQ(Plan("[file:pictures/logo.gif]\nsource = img/logo.gif\n"), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"pictures/logo.gif", "index.html", "img/logo.gif"}));
}

// A book that keeps its folders: each file at its path, its [file:] section found by that
// path, pages in the order a reader meets them, titled by <title> or else their first <h1>.
TEST_F(BookPlanTest, KeptSiteFilesKeepTheirPathsAndFollowTheirSections) {
  ASSERT_EQ(mkdir((m_dir + "/img").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0700), 0);
  Write("index.html",
        "<title>Start</title><a href=\"sub/page.html\">p</a><a href=\"sub/\">s</a>"
        "<img src=\"img/gone.gif\"><a href=\"/abs.html\">a</a><a href=\"../out.html\">o</a>");
  Write("img/logo.gif", "GIF89a");
  Write("sub/index.html", "<h1>Sub <em>folder</em> &amp; more</h1>");
  Write("sub/page.html", "<title>Page</title><img src=\"../img/logo.gif\">");
  Write("sub/draft.html", "<title>Draft</title>");
  ASSERT_EQ(Plan("[file:sub/draft.html]\ninclude = no\n[file:img/logo.gif]\nsearchable = yes\n"),
            "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"img/logo.gif", "index.html", "sub/page.html",
                                               "sub/index.html"}));
  EXPECT_TRUE(Entry("img/logo.gif").searchable);
  EXPECT_EQ(Entry("sub/index.html").title, "Sub folder & more");
  EXPECT_EQ(Entry("sub/page.html").title, "Page");
  EXPECT_EQ(Entry("index.html").sortKey, "000000");
  EXPECT_EQ(Entry("sub/page.html").sortKey, "000001");
  EXPECT_EQ(Entry("sub/index.html").sortKey, "000002");
  // Stored byte for byte: read from the site at write time.
  for (const BookFileInput& f : m_record.files) {
    EXPECT_TRUE(f.data.empty()) << f.entry.fileName;
    EXPECT_EQ(f.sourcePath, m_dir + "/" + f.entry.fileName);
  }
  EXPECT_EQ(m_warnings,
            (std::vector<std::string>{
                "index.html:1: reference 'img/gone.gif' names no file of the site",
                "index.html:1: reference '/abs.html' names no file of the site (in a book a path "
                "that begins with '/' starts at the top of the disk)",
                "index.html:1: reference '../out.html' leads out of the site folder"}));
}

TEST_F(BookPlanTest, FlattenedSiteFilesFollowTheirManifestSections) {
  ASSERT_EQ(mkdir((m_dir + "/img").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0700), 0);
  Write("index.html",
        "<a href=\"img/logo.gif\"></a><a href=\"sub/page.html\"></a><a "
        "href=\"sub/draft.html\"></a>");
  Write("img/logo.gif", "GIF89a");
  Write("sub/page.html", "<title>Sub</title><img src=\"../img/logo.gif\">");
  Write("sub/draft.html", "<title>Draft</title>");
  ASSERT_EQ(Plan("[book]\nsubfolders = flatten\n"
                 "[file:logo.gif]\nsource = img/logo.gif\n"
                 "[file:sub.page.html]\ntitle = Renamed\nsort-key = 1\n"
                 "[file:sub.draft.html]\ninclude = no\n"),
            "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"logo.gif", "sub.page.html", "index.html"}));
  EXPECT_EQ(Entry("sub.page.html").title, "Renamed");
  EXPECT_EQ(Entry("sub.page.html").sortKey, "1");
  EXPECT_EQ(Entry("index.html").sortKey, "000000");
  auto data = [&](const std::string& name) {
    for (const BookFileInput& f : m_record.files) {
      if (f.entry.fileName == name)
        return f.data;
    }
    return std::string("(none)");
  };
  EXPECT_EQ(data("index.html"),
            "<a href=\"logo.gif\"></a><a href=\"sub.page.html\"></a><a "
            "href=\"sub/draft.html\"></a>");
  EXPECT_EQ(data("sub.page.html"), "<title>Sub</title><img src=\"logo.gif\">");
  EXPECT_EQ(m_warnings, (std::vector<std::string>{
                            "index.html:1: reference 'sub/draft.html' names no file of the site"}));
}

TEST_F(BookPlanTest, SplashPictureIsStoredAsTheSplashNotAsAFile) {
  Write("index.html", "x");
  Write("splash.bmp", quire::testing::MakeBmp(4, 2, 1, 2, 3));
  ASSERT_EQ(Plan("[book]\nsplash = splash.bmp\n"), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"index.html"}));
  EXPECT_EQ(m_record.splashBitmap, quire::testing::MakeBmp(4, 2, 1, 2, 3));
}

TEST_F(BookPlanTest, ExtraFilesAreAddedUnderTheirBaseNames) {
  Write("index.html", "x");
  ASSERT_TRUE(WriteWholeFile(m_tmp.File("__pxa__lib.so"),
                             "\x7f"
                             "ELF"));
  ASSERT_EQ(Plan("", {m_tmp.File("__pxa__lib.so")}), "");
  EXPECT_EQ(Names(), (std::vector<std::string>{"index.html", "__pxa__lib.so"}));
  EXPECT_EQ(m_record.files[1].sourcePath, m_tmp.File("__pxa__lib.so"));
}

TEST_F(BookPlanTest, CompileDateIsTheBuildTime) {
  Write("index.html", "x");
  ASSERT_EQ(Plan(""), "");
  std::time_t when = 1700000000;
  std::tm local{};
  localtime_r(&when, &local);
  EXPECT_EQ(m_record.settings.compileYear, local.tm_year + 1900);
  EXPECT_EQ(m_record.settings.compileMonth, local.tm_mon + 1);
  EXPECT_EQ(m_record.settings.compileDay, local.tm_mday);
  EXPECT_EQ(m_record.settings.compileHour, local.tm_hour);
  EXPECT_EQ(m_record.settings.compileMinute, local.tm_min);
  EXPECT_EQ(m_record.settings.compileSecond, local.tm_sec);
}

TEST_F(BookPlanTest, ImpossibleBooksAreRefused) {
  const struct {
    const char* manifest;
    const char* files;  // '|'-separated names to create
    const char* error;  // expected part of the message
  } cases[] = {
      {"", "", "no files to put in the book"},
      {"[file:missing.html]\n", "index.html", "book.ini:1: "},
      {"[contents]\nmode = own\npage = toc.html\n", "index.html", "page 'toc.html' is not"},
      {"[about]\nmode = own\npage = me.html\n", "index.html", "page 'me.html' is not"},
      {"[book]\nsplash = notes.txt\n", "index.html|notes.txt", "not a BMP picture"},
      {"[book]\nsplash = none.bmp\n", "index.html", "none.bmp: cannot read it"},
      {"[file:b.html]\nsource = index.html\n[file:index.html]\nsource = index.html\n"
       "[file:c.html]\nsource = b.html\n",
       "index.html", "b.html is not a readable file"},
  };
  for (const auto& c : cases) {
    std::string files = c.files;
    for (size_t start = 0; start < files.size();) {
      size_t bar = files.find('|', start);
      Write(files.substr(start, bar - start), "<title>x</title>");
      start = bar == std::string::npos ? files.size() : bar + 1;
    }
    std::string error = Plan(c.manifest);
    EXPECT_NE(error.find(c.error), std::string::npos) << c.manifest << "\ngot: " << error;
  }
}

TEST_F(BookPlanTest, AStartupScriptNamingAMissingFileIsWarnedAbout) {
  Write("index.html", "x");
  ASSERT_EQ(Plan("[book]\nstartup-script = #!start.txt\n"), "");
  ASSERT_EQ(m_warnings.size(), 1u);
  EXPECT_NE(m_warnings[0].find("'start.txt'"), std::string::npos);
}

}  // namespace
}  // namespace quire::pack
