// Rewriting the references of a site's pages and style sheets to stored names.
#include "site_rewriter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quire::pack {
namespace {

// A small site: pages at the top and in "library", a picture and style sheets.
SiteMap Site() {
  SiteMap site;
  site.names = {{"index.html", "index.html"},
                {"about.html", "about.html"},
                {"library/index.html", "library.index.html"},
                {"library/os.html", "library.os.html"},
                {"library/os path.html", "library.os path.html"},
                {"_static/basic.css", "_static.basic.css"},
                {"_static/print.css", "_static.print.css"},
                {"_images/logo.png", "_images.logo.png"},
                {"_images/logo@2x.png", "_images.logo@2x.png"},
                {"fonts/a&b.woff", "fonts.a&b.woff"}};
  site.folders = {"library", "_static", "_images", "fonts"};
  return site;
}

std::vector<std::string> Messages(const RewrittenFile& file) {
  std::vector<std::string> out;
  for (const ReferenceIssue& i : file.issues)
    out.push_back(std::to_string(i.line) + ": " + i.message);
  return out;
}

TEST(SiteRewriterTest, PageReferencesBecomeStoredNamesAndNothingElseChanges) {
  const struct {
    const char* name;
    const char* page;  // in library/os.html
    const char* expected;
  } cases[] = {
      {"link up", "<a href=\"../about.html\">x</a>", "<a href=\"about.html\">x</a>"},
      {"same folder, fragment kept", "<a href='os.html#os.path'>",
       "<a href='library.os.html#os.path'>"},
      {"query and fragment kept", "<link href=\"../_static/basic.css?v=2#x\" rel=stylesheet>",
       "<link href=\"_static.basic.css?v=2#x\" rel=stylesheet>"},
      {"unquoted value", "<img src=../_images/logo.png alt=x>", "<img src=_images.logo.png alt=x>"},
      {"folder names its index page",
       "<a href=\"./\">a</a><a href=\"../library\">b</a><a href=\"..\">c</a>",
       "<a href=\"library.index.html\">a</a><a href=\"library.index.html\">b</a><a "
       "href=\"index.html\">c</a>"},
      {"percent escapes read, name written escaped", "<a href=\"os%20path.html\">",
       "<a href=\"library.os%20path.html\">"},
      {"character references read", "<a href=\"os.html?a=1&amp;b=2\">",
       "<a href=\"library.os.html?a=1&amp;b=2\">"},
      {"srcset", "<img srcset=\"../_images/logo.png 1x, ../_images/logo@2x.png 2x\">",
       "<img srcset=\"_images.logo.png 1x, _images.logo%402x.png 2x\">"},
      {"poster, background and object data",
       "<video poster=\"../_images/logo.png\"></video><body "
       "background=\"../_images/logo.png\"><object data=\"os.html\"></object>",
       "<video poster=\"_images.logo.png\"></video><body background=\"_images.logo.png\"><object "
       "data=\"library.os.html\"></object>"},
      {"meta refresh", "<meta http-equiv=\"Refresh\" content=\"0; URL='os.html'\">",
       "<meta http-equiv=\"Refresh\" content=\"0; URL='library.os.html'\">"},
      {"style attribute", "<p style=\"background: url(../_images/logo.png)\">",
       "<p style=\"background: url(_images.logo.png)\">"},
      {"style block",
       "<style>@import \"../_static/print.css\"; p { background: url( '../_images/logo.png' ) "
       "}</style>",
       "<style>@import \"_static.print.css\"; p { background: url( '_images.logo.png' ) }</style>"},
      {"path from the top of the site", "<a href=\"/library/os.html\"><a href=\"//about.html\">",
       "<a href=\"library.os.html\"><a href=\"//about.html\">"},
      {"upper-case tags and attributes", "<A HREF=\"os.html\">", "<A HREF=\"library.os.html\">"},
      {"blanks around the value", "<a href = \" os.html \">", "<a href = \" library.os.html \">"},
      {"name with a character reference", "<link href=\"../fonts/a&amp;b.woff\">",
       "<link href=\"fonts.a%26b.woff\">"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RewrittenFile out = RewriteHtmlPage(c.page, "library/os.html", Site());
    EXPECT_EQ(out.text, c.expected);
    EXPECT_TRUE(out.changed);
    EXPECT_TRUE(out.issues.empty()) << Messages(out)[0];
  }
}

TEST(SiteRewriterTest, ReferencesThatAreNotTheSitesAreLeftAsTheyAre) {
  const char* const untouched[] = {
      "<a href=\"https://python.org/x.html\">",
      "<a href=\"//cdn.example/x.js\">",
      "<a href=\"mailto:me@example.org\">",
      "<a href=\"javascript:void(0)\">",
      "<img src=\"data:image/png;base64,AAAA\">",
      "<a href=\"#top\">",
      "<a href=\"?q=1\">",
      "<a href=\"##SEARCH('os')\">",
      "<a href=\"os.html##TOC\">",
      "<a href=\"#!tour.txt\">",
      "<a href=\"#@{ebook}/x.txt\">",
      "<a href=\"[={Home}]\">",
      "<a href=\"\">",
      "<a name=\"os.html\">",
      "<base href=\"../\">",
      "<!-- <a href=\"os.html\"> -->",
      "<p>href=\"os.html\"</p>",
      "<style>/* url(os.html) */ p { content: \"url(os.html)\" }</style>",
  };
  for (const char* page : untouched) {
    SCOPED_TRACE(page);
    RewrittenFile out = RewriteHtmlPage(page, "library/os.html", Site());
    EXPECT_EQ(out.text, page);
    EXPECT_FALSE(out.changed);
    EXPECT_TRUE(out.issues.empty()) << Messages(out)[0];
  }
}

TEST(SiteRewriterTest, UnresolvedReferencesAreReportedWithTheirLine) {
  std::string page =
      "<html>\n<body>\n"
      "<a href=\"missing.html\">\n"
      "<a href=\"../../../etc/passwd\">\n"
      "<img src=\"/usr/share/x.png\">\n"
      "<p style=\"background: url(no\\pe.png)\">\n"
      "<script>var u = 'library/' + name + '.html'; go(\"api/x.html\");</script>\n";
  RewrittenFile out = RewriteHtmlPage(page, "library/os.html", Site());
  EXPECT_EQ(out.text, page);
  EXPECT_EQ(Messages(out),
            (std::vector<std::string>{
                "3: reference 'missing.html' names no file of the site",
                "4: reference '../../../etc/passwd' leads out of the site folder; left as it is",
                "5: reference '/usr/share/x.png' names no file of the site (a path from the top "
                "of the site)",
                "6: reference 'no\\pe.png' holds a CSS escape; left as it is",
                "7: a script builds the reference '.html'; references built by scripts are not "
                "rewritten",
                "7: a script builds the reference 'api/x.html'; references built by scripts are "
                "not rewritten",
            }));
}

TEST(SiteRewriterTest, BrokenMarkupAndInvalidTextKeepEveryOtherByte) {
  const struct {
    const char* name;
    std::string page;
    std::string expected;
  } cases[] = {
      {"Latin-1 text", "<p>caf\xe9 <a href=\"os.html\">\xe9t\xe9</a>\xff",
       "<p>caf\xe9 <a href=\"library.os.html\">\xe9t\xe9</a>\xff"},
      {"NUL bytes", std::string("<p>\0<a href=\"os.html\">", 22),
       std::string("<p>\0<a href=\"library.os.html\">", 30)},
      {"unclosed tags and stray ends", "</div><table><a href=os.html><td>x</b>",
       "</div><table><a href=library.os.html><td>x</b>"},
      {"copied formatting element", "<b><p><a href=\"os.html\">x</p>y</b>",
       "<b><p><a href=\"library.os.html\">x</p>y</b>"},
      {"unclosed quote at the end", "<a href=\"os.html", "<a href=\"os.html"},
      {"CRLF line ends", "<a\r\nhref=\"os.html\"\r\n>", "<a\r\nhref=\"library.os.html\"\r\n>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RewriteHtmlPage(c.page, "library/os.html", Site()).text, c.expected);
  }
}

TEST(SiteRewriterTest, RandomBytesAroundALinkStayAsTheyAre) {
  std::mt19937 rng(13);
  for (int round = 0; round < 200; ++round) {
    std::string noise(static_cast<size_t>(rng() % 400), '\0');
    for (char& c : noise) {
      // Mostly markup characters, so that the parser meets tags, quotes and references.
      static const char kAlphabet[] = "<>/=\"'&;#!- \nabhrefsciptylm\x80\xff\xe9";
      c = rng() % 4 ? kAlphabet[rng() % (sizeof kAlphabet - 1)] : static_cast<char>(rng());
    }
    std::string before = noise.substr(0, noise.size() / 2);
    std::string after = noise.substr(noise.size() / 2);
    // The link may end up inside a comment, a script or an attribute of the noise: then
    // it is not rewritten. Whatever happens, nothing else changes.
    std::string page = before + "<a href=\"os.html\">" + after;
    RewrittenFile out = RewriteHtmlPage(page, "library/os.html", Site());
    SCOPED_TRACE(::testing::PrintToString(page));
    if (out.text != page) {
      EXPECT_EQ(out.text, before + "<a href=\"library.os.html\">" + after);
    }
  }
}

TEST(SiteRewriterTest, DeeplyNestedHeadingIsRead) {
  std::string page = "<h1>";
  for (int i = 0; i < 100000; ++i)
    page += "<span>";
  page += "Deep <a href=\"os.html\">link</a>";
  RewrittenFile out = RewriteHtmlPage(page, "library/os.html", Site());
  EXPECT_EQ(out.title, "Deep link");
  EXPECT_NE(out.text.find("<a href=\"library.os.html\">"), std::string::npos);
}

TEST(SiteRewriterTest, PageTitleIsTheTitleElseTheFirstHeading) {
  const struct {
    const char* page;
    const char* title;
  } cases[] = {
      {"<title> os &mdash;\n Miscellaneous </title><h1>Other</h1>",
       "os \xe2\x80\x94 Miscellaneous"},
      {"<h1>The <code>os</code>  module</h1><h1>Second</h1>", "The os module"},
      {"<title></title><h1>Heading</h1>", "Heading"},
      {"<p>no title</p>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    EXPECT_EQ(RewriteHtmlPage(c.page, "library/os.html", Site()).title, c.title);
  }
}

TEST(SiteRewriterTest, StyleSheetReferencesResolveAgainstTheSheetsFolder) {
  std::string css =
      "@import url(\"print.css\");\n"
      "@IMPORT 'basic.css' screen;\n"
      "/* url(ignored.png) */\n"
      "body { background: URL(../_images/logo.png) no-repeat; content: \"url(x)\"; }\n"
      "@font-face { src: url(../fonts/a%26b.woff) }\n"
      "div { background: url(missing.png) }\n";
  RewrittenFile out = RewriteStyleSheet(css, "_static/basic.css", Site());
  EXPECT_EQ(out.text,
            "@import url(\"_static.print.css\");\n"
            "@IMPORT '_static.basic.css' screen;\n"
            "/* url(ignored.png) */\n"
            "body { background: URL(_images.logo.png) no-repeat; content: \"url(x)\"; }\n"
            "@font-face { src: url(fonts.a%26b.woff) }\n"
            "div { background: url(missing.png) }\n");
  EXPECT_EQ(Messages(out),
            (std::vector<std::string>{"6: reference 'missing.png' names no file of the site"}));
}

}  // namespace
}  // namespace quire::pack
