// The quick scan of the pages of a site whose folders are kept.
#include "page_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire::pack {
namespace {

struct Seen {
  std::string address;
  bool link;
  bool operator==(const Seen& o) const { return address == o.address && link == o.link; }
};

std::vector<Seen> References(const std::string& html) {
  std::vector<Seen> seen;
  for (const PageReference& r : ScanPage(html).references)
    seen.push_back({r.address, r.link});
  return seen;
}

TEST(PageScanTest, FindsHrefAndSrcInTheOrderTheyStand) {
  EXPECT_EQ(References("<link rel=stylesheet href=style.css><IMG SRC='a b.png'>"
                       "<a class=x href = \"p.html?x=1&amp;y=2#f\" >p</a>"
                       "<area href=map.html><A HREF=up.html>u</A><script src=s.js></script>"
                       "<base href=\"http://example.org/\"><a name=n>no href</a>"
                       "<a href=\"  spaced.html \">s</a><a href=>empty</a>"),
            (std::vector<Seen>{{"style.css", false},
                               {"a b.png", false},
                               {"p.html?x=1&y=2#f", true},
                               {"map.html", true},
                               {"up.html", true},
                               {"s.js", false},
                               {"spaced.html", true},
                               {"", true}}));
}

TEST(PageScanTest, TextThatIsNoMarkupHoldsNoReferences) {
  EXPECT_EQ(References("<!-- <a href=c1.html> --><!DOCTYPE html><?xml x?>"
                       "<script>var s = '<a href=\"s.html\">';</script>"
                       "<style>a { } </style><a href=after.html>"
                       "<textarea><a href=t.html></textarea><title><a href=x.html></title>"
                       "<SCRIPT>document.write('<a href=w.html>')</SCRIPT >"
                       "<p>1 < 2 <a href=last.html></p><plaintext><a href=never.html>"),
            (std::vector<Seen>{{"after.html", true}, {"last.html", true}}));
  // A comment or quote that never ends swallows the rest of the page, as in a browser.
  EXPECT_EQ(References("<a href=one.html><!-- <a href=two.html>"),
            (std::vector<Seen>{{"one.html", true}}));
  EXPECT_EQ(References("<a href=\"one.html>two"), (std::vector<Seen>{{"one.html>two", true}}));
  EXPECT_EQ(References("<scr"), std::vector<Seen>{});
}

TEST(PageScanTest, TheFirstHeadingIsItsTextWithoutMarkup) {
  EXPECT_EQ(ScanPage("<body><h1 id=t>The <code>os</code>\n module &lt; &amp; &#x263A;</h1>"
                     "<h1>Second</h1>")
                .h1,
            "The os module < & \xE2\x98\xBA");
  EXPECT_EQ(ScanPage("<H1>Open <script>x()</script>to the end").h1, "Open to the end");
  EXPECT_EQ(ScanPage("<h2>No h1</h2>").h1, "");
}

TEST(PageScanTest, OffsetsPointAtTheValues) {
  const std::string html = "<p>\n<a href=\"x.html\">x</a>\n<img src=y.png>";
  const PageScan scan = ScanPage(html);
  ASSERT_EQ(scan.references.size(), 2u);
  EXPECT_EQ(html.substr(scan.references[0].offset, 6), "x.html");
  EXPECT_EQ(html.substr(scan.references[1].offset, 5), "y.png");
}

}  // namespace
}  // namespace quire::pack
