// The contents of a site in the order a reader meets its pages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "book_plan.h"
#include "flat_site.h"
#include "ini_document.h"
#include "site_rewriter.h"
#include "support/scoped_tmpdir.h"
#include "tools/pack_runner.h"

namespace quire::pack {
namespace {

using quire::testing::ScopedTmpdir;
using quire::testing::WriteWholeFile;

TEST(ReadingOrderTest, PagesListTheLinksAReaderCanFollowInTheirOrder) {
  SiteMap site;
  site.names = {{"index.html", "index.html"},
                {"guide/index.html", "guide.index.html"},
                {"guide/start.html", "guide.start.html"},
                {"changes.html", "changes.html"},
                {"style.css", "style.css"},
                {"map.png", "map.png"}};
  site.folders = {"guide"};
  RewrittenFile page = RewriteHtmlPage(
      "<link rel=stylesheet href=style.css><img src=map.png>"
      "<a href=\"guide/start.html#top\">start</a> <a href=\"guide/\">guide</a>"
      "<map><area href=\"changes.html\"></map><a href=\"#here\">here</a>"
      "<a href=\"missing.html\">gone</a><a href=\"https://example.org/\">web</a>"
      "<a href=\"guide/start.html\">again</a><a href=\"##TOC\">contents</a>",
      "index.html", site);
  EXPECT_EQ(page.links, (std::vector<std::string>{"guide/start.html", "guide/index.html",
                                                  "changes.html", "guide/start.html"}));
  RewrittenFile sheet = RewriteStyleSheet("a { background: url(map.png) }", "style.css", site);
  EXPECT_TRUE(sheet.links.empty());
}

TEST(ReadingOrderTest, BreadthFirstFromTheStartThenTheRestInPathOrder) {
  using Links = std::map<std::string, std::vector<std::string>>;
  const std::vector<std::string> paths = {"index.html", "a/index.html", "a/x.html",
                                          "b/y.html",   "changes.html", "style.css"};
  const struct {
    const char* name;
    std::string start;
    Links links;
    std::vector<std::string> order;
  } cases[] = {
      {"no links: path order", "index.html", {}, paths},
      {"links in page order, one level at a time",
       "index.html",
       {{"index.html", {"b/y.html", "a/index.html"}}, {"b/y.html", {"a/x.html"}}},
       {"index.html", "b/y.html", "a/index.html", "a/x.html", "changes.html", "style.css"}},
      {"a page links deeper before the next level is done",
       "index.html",
       {{"index.html", {"a/index.html", "b/y.html"}},
        {"a/index.html", {"a/x.html"}},
        {"b/y.html", {"changes.html"}}},
       {"index.html", "a/index.html", "b/y.html", "a/x.html", "changes.html", "style.css"}},
      {"cycles, repeats and links to itself are met once",
       "index.html",
       {{"index.html", {"index.html", "a/x.html", "a/x.html"}},
        {"a/x.html", {"index.html", "a/x.html"}}},
       {"index.html", "a/x.html", "a/index.html", "b/y.html", "changes.html", "style.css"}},
      {"links to paths the site does not hold are passed over",
       "index.html",
       {{"index.html", {"elsewhere.html", "changes.html"}}},
       {"index.html", "changes.html", "a/index.html", "a/x.html", "b/y.html", "style.css"}},
      {"a start that is not in the site: path order",
       "",
       {{"index.html", {"changes.html"}}},
       paths},
      {"pages the start does not reach keep path order among themselves",
       "b/y.html",
       {{"b/y.html", {"changes.html"}}, {"a/x.html", {"style.css"}}},
       {"b/y.html", "changes.html", "index.html", "a/index.html", "a/x.html", "style.css"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadingOrder(c.start, paths, c.links), c.order);
  }
}

// A small site whose path order puts the change log first: the contents sort keys and the
// stored order follow the links of the index page instead, and the manifest's own keys win.
class ReadingOrderPlanTest : public ::testing::Test {
 protected:
  ReadingOrderPlanTest() : m_dir(m_tmp.File("site")) {
    for (const char* folder : {"", "/changes", "/guide"})
      mkdir((m_dir + folder).c_str(), 0700);
    Write("index.html",
          "<title>Home</title><a href=\"guide/\">Guide</a> <a href=\"reference.html\">Ref</a> "
          "<a href=\"changes/\">Changes</a>");
    Write("changes/index.html", "<title>Changes</title><a href=\"1.0.html\">1.0</a>");
    Write("changes/1.0.html", "<title>1.0</title>");
    Write("guide/index.html", "<title>Guide</title><a href=\"install.html\">Install</a>");
    Write("guide/install.html", "<title>Install</title><a href=\"../reference.html\">Ref</a>");
    Write("reference.html", "<title>Reference</title>");
    Write("appendix.html", "<title>Appendix</title>");  // no link leads here
  }

  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteWholeFile(m_dir + "/" + name, bytes));
  }

  // (stored name, sort key) of every page, in stored order; the folders kept, the names
  // written back as a flattened book would store them so that both compare alike.
  std::vector<std::pair<std::string, std::string>> Plan(const std::string& manifestText,
                                                        bool flatten = true) {
    PlanInput input;
    input.sourceDir = m_dir;
    input.flatten = flatten;
    input.packAhead = false;
    IniDocument doc;
    std::string error;
    EXPECT_TRUE(ParseIni(manifestText, "book.ini", &doc, &error)) << error;
    EXPECT_TRUE(ReadManifest(doc, "book.ini", &input.manifest, &error)) << error;
    PlannedBook planned;
    EXPECT_TRUE(PlanBook(input, &planned, &error)) << error;
    std::vector<std::pair<std::string, std::string>> pages;
    for (const BookFileInput& f : planned.record.files) {
      std::string name = f.entry.fileName;
      std::replace(name.begin(), name.end(), '/', '.');
      pages.emplace_back(name, f.entry.sortKey);
    }
    return pages;
  }

  ScopedTmpdir m_tmp;
  std::string m_dir;
};

// Keeping the folders, the pages are read by the quick scan instead of the parser: the
// order is the same.
TEST_F(ReadingOrderPlanTest, KeptFoldersGiveTheSameOrder) {
  EXPECT_EQ(Plan("", false), Plan(""));
  const std::string manifest =
      "[file:appendix.html]\nsort-key = 0\n[file:reference.html]\nsort-key = 000009\n";
  EXPECT_EQ(Plan(manifest, false), Plan(manifest));
}

TEST_F(ReadingOrderPlanTest, ContentsFollowTheLinksOfTheIndexPage) {
  using Pages = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Plan(""), (Pages{{"index.html", "000000"},
                             {"guide.index.html", "000001"},
                             {"reference.html", "000002"},
                             {"changes.index.html", "000003"},
                             {"guide.install.html", "000004"},
                             {"changes.1.0.html", "000005"},
                             {"appendix.html", "000006"}}));
  // A sort key the manifest gives wins; its section also puts the page first in the book.
  EXPECT_EQ(Plan("[file:appendix.html]\nsort-key = 0\n[file:reference.html]\nsort-key = 000009\n"),
            (Pages{{"appendix.html", "0"},
                   {"reference.html", "000009"},
                   {"index.html", "000000"},
                   {"guide.index.html", "000001"},
                   {"changes.index.html", "000003"},
                   {"guide.install.html", "000004"},
                   {"changes.1.0.html", "000005"}}));
}

}  // namespace
}  // namespace quire::pack
