#include "warning_groups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "site_rewriter.h"

namespace quire::pack {
namespace {

// `count` broken references of `file`, each naming a page of its own.
std::vector<std::string> Broken(const std::string& file, int first, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) {
    out.push_back(file + ":" + std::to_string(first + i) + ": reference '" + file + "-gone" +
                  std::to_string(i) + ".html' names no file of the site");
  }
  return out;
}

// The same broken reference at `line` of every one of `files`.
std::vector<std::string> Repeated(const std::vector<std::string>& files, int line,
                                  const std::string& reference) {
  std::vector<std::string> out;
  for (const std::string& file : files) {
    out.push_back(file + ":" + std::to_string(line) + ": reference '" + reference +
                  "' names no file of the site");
  }
  return out;
}

std::vector<std::string> Pages(const char* prefix, int count, const char* ext = ".html") {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
    names.push_back(prefix + std::to_string(i) + ext);
  return names;
}

// The messages the rewriter itself writes, so that a change of wording shows here.
TEST(WarningGroupsTest, EveryMessageOfTheRewriterHasItsKindAndFile) {
  SiteMap site;
  site.names = {{"index.html", "index.html"}};
  RewrittenFile page = RewriteHtmlPage(
      "<a href=\"gone.html\">x</a>\n<a href=\"../../etc/passwd\">y</a>\n"
      "<a href=\"a&amp;b.html?q#f\" style=\"background: url(&#x61;\\62.png)\">z</a>\n"
      "<script>var u = 'api/page.html';</script>\n",
      "doc/page.html", site);
  std::vector<WarningKind> kinds;
  for (const ReferenceIssue& issue : page.issues) {
    std::string text = "doc/page.html:" + std::to_string(issue.line) + ": " + issue.message;
    WarningOrigin origin = ClassifyWarning(text);
    EXPECT_EQ(origin.file, "doc/page.html") << text;
    kinds.push_back(origin.kind);
  }
  EXPECT_EQ(kinds, (std::vector<WarningKind>{WarningKind::kMissingFile, WarningKind::kOutsideSite,
                                             WarningKind::kMissingFile,  // a&b.html
                                             WarningKind::kInexact,      // the CSS escape
                                             WarningKind::kScriptBuilt}));

  const struct {
    const char* text;
    WarningKind kind;
    const char* file;
  } cases[] = {
      {"a.b/c.html: stored as 'a.b.c-2.html', since 'a.b.c.html' is the name of a/b.c.html",
       WarningKind::kRenamed, "a.b/"},
      {"images/gone.png: a symbolic link that leads nowhere; left out", WarningKind::kLeftOut,
       "images/"},
      {"loop: a symbolic link back to a folder that holds it; not followed", WarningKind::kLeftOut,
       "."},
      {"a/b/c: folders nested too deep; left out", WarningKind::kLeftOut, "a/b/"},
      {"book.ini:4: extension library '__pxa__x.so' is not an ELF shared object; the reader "
       "cannot load it",
       WarningKind::kBook, "book.ini"},
      {"no index.html or index.htm: the reader will report \"Index file not found!\" and open "
       "on its about page",
       WarningKind::kBook, ""},
      {"[colors] text #000000 on background #000000 has a contrast of 1.0:1 (below 3:1); the "
       "contents, search and about pages will be hard to read",
       WarningKind::kBook, ""},
      {"odd:name.html:12: reference 'x' names no file of the site", WarningKind::kMissingFile,
       "odd:name.html"},
  };
  for (const auto& c : cases) {
    WarningOrigin origin = ClassifyWarning(c.text);
    EXPECT_EQ(origin.kind, c.kind) << c.text;
    EXPECT_EQ(origin.file, c.file) << c.text;
  }
}

TEST(WarningGroupsTest, AtMostFiveLinesPerFileAndKindThenHowManyMore) {
  const struct {
    const char* name;
    std::vector<std::string> warnings;
    std::vector<std::string> lines;
  } cases[] = {
      {"none", {}, {}},
      {"five are all shown", Broken("a.html", 1, 5), Broken("a.html", 1, 5)},
      {"six: five and one more",
       Broken("a.html", 1, 6),
       {Broken("a.html", 1, 5)[0], Broken("a.html", 1, 5)[1], Broken("a.html", 1, 5)[2],
        Broken("a.html", 1, 5)[3], Broken("a.html", 1, 5)[4], "... and 1 more in a.html"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GroupWarnings(c.warnings), c.lines);
  }

  // Files and kinds apart, each in the order it first appears; other warnings untouched.
  std::vector<std::string> warnings = Broken("big.html", 1, 6956);
  std::vector<std::string> other = Broken("small.html", 3, 2);
  warnings.insert(warnings.begin() + 2, other.begin(), other.end());
  warnings.push_back(
      "big.html:9000: reference '../../x' leads out of the site folder; left as it "
      "is");
  warnings.push_back("no index.html or index.htm: the reader will report ...");
  std::vector<std::string> lines = GroupWarnings(warnings);
  std::vector<std::string> big = Broken("big.html", 1, 5);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       big[0], big[1], big[2], big[3], big[4], "... and 6951 more in big.html",
                       other[0], other[1], warnings[warnings.size() - 2],
                       "no index.html or index.htm: the reader will report ..."}));
  EXPECT_EQ(GroupWarnings(warnings, 1).size(), 6u);  // the limit is the caller's

  // Warnings about the book as a whole group too.
  std::vector<std::string> same(7, "no index.html or index.htm: ...");
  EXPECT_EQ(GroupWarnings(same).back(), "... and 2 more");
}

TEST(WarningGroupsTest, AWarningFoundInSeveralFilesIsOneLineThatSaysWhere) {
  const std::string header =
      "reference 'pgsql-docs@lists.postgresql.org' names no file of the site";
  const struct {
    const char* name;
    std::vector<std::string> warnings;
    std::vector<std::string> lines;
  } cases[] = {
      {"every page of a big site",
       Repeated(Pages("p", 1169), 2, "pgsql-docs@lists.postgresql.org"),
       {header + " (in 1,169 pages: p0.html:2, p1.html:2, p2.html:2 and 1,166 more)"}},
      {"four pages, three named",
       Repeated({"a.html", "b/c.htm", "d.xhtml", "e.html"}, 7, "x.html"),
       {"reference 'x.html' names no file of the site (in 4 pages: a.html:7, b/c.htm:7, d.xhtml:7 "
        "and 1 more)"}},
      {"three pages stay each page's", Repeated({"a.html", "b.html", "c.html"}, 7, "x.html"),
       Repeated({"a.html", "b.html", "c.html"}, 7, "x.html")},
      {"style sheets are files",
       Repeated({"a.html", "s.css", "t.css", "u.css"}, 1, "bg.png"),
       {"reference 'bg.png' names no file of the site (in 4 files: a.html:1, s.css:1, t.css:1 "
        "and 1 more)"}},
      {"one page five times stays that page's",
       Repeated({"a.html", "a.html", "a.html", "a.html", "a.html"}, 3, "x.html"),
       Repeated({"a.html", "a.html", "a.html", "a.html", "a.html"}, 3, "x.html")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GroupWarnings(c.warnings), c.lines);
  }

  // Among other warnings the line stands where the text was first found; each file names
  // its first line only, and what is left of each page is grouped as before.
  std::vector<std::string> warnings = Broken("a.html", 1, 2);
  for (const std::string& w :
       Repeated({"a.html", "a.html", "b.html", "c.html", "d.html"}, 9, "h.html"))
    warnings.push_back(w);
  warnings[3] = "a.html:12: reference 'h.html' names no file of the site";
  for (const std::string& w : Broken("b.html", 20, 7))
    warnings.push_back(w);
  std::vector<std::string> b = Broken("b.html", 20, 5);
  EXPECT_EQ(GroupWarnings(warnings),
            (std::vector<std::string>{
                warnings[0], warnings[1],
                "reference 'h.html' names no file of the site (in 4 pages: a.html:9, b.html:9, "
                "c.html:9 and 1 more)",
                b[0], b[1], b[2], b[3], b[4], "... and 2 more in b.html"}));
  // The summary still counts every one of them.
  EXPECT_EQ(WarningSummary(warnings), "14 warnings: 14 broken references");
}

TEST(WarningGroupsTest, SummaryCountsByKindInAFixedOrder) {
  const struct {
    std::vector<std::string> warnings;
    const char* noun;
    const char* summary;
  } cases[] = {
      {{}, "warning", ""},
      {Broken("a.html", 1, 1), "warning", "1 warning: 1 broken reference"},
      {{"x: stored as 'y-2', since 'y' is the name of z",
        "a.html:1: reference 'q' leads out of "
        "the site folder; left as it is",
        "a.html:2: reference 'r' names no file of the site",
        "a.html:3: reference 's' names no file of the site", "something else"},
       "warning",
       "5 warnings: 2 broken references, 1 reference out of the site folder, 1 renamed file, 1 "
       "other warning"},
      {Broken("a.html", 1, 4), "error", "4 errors: 4 broken references"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WarningSummary(c.warnings, c.noun), c.summary);
}

}  // namespace
}  // namespace quire::pack
