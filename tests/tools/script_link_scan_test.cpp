#include "script_link_scan.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::pack {
namespace {

TEST(ScriptLinkScanTest, KindsFollowTheExtension) {
  EXPECT_EQ(LinkScanKindOf("index.html"), LinkScanKind::kPage);
  EXPECT_EQ(LinkScanKindOf("A.HTM"), LinkScanKind::kPage);
  EXPECT_EQ(LinkScanKindOf("doc.xhtml"), LinkScanKind::kPage);
  EXPECT_EQ(LinkScanKindOf("logo.svg"), LinkScanKind::kPage);
  EXPECT_EQ(LinkScanKindOf("app.js"), LinkScanKind::kScript);
  EXPECT_EQ(LinkScanKindOf("mod.MJS"), LinkScanKind::kScript);
  EXPECT_EQ(LinkScanKindOf("style.css"), LinkScanKind::kNone);
  EXPECT_EQ(LinkScanKindOf("start.txt"), LinkScanKind::kNone);
  EXPECT_EQ(LinkScanKindOf("README"), LinkScanKind::kNone);
}

TEST(ScriptLinkScanTest, PagesHoldLinksInTagsAndScriptsNotInTheirText) {
  const struct {
    const char* page;
    bool holds;
  } cases[] = {
      {"<a href=\"##SEARCH('x')\">s</a>", true},
      {"<a href='page.html#!script.txt'>s</a>", true},
      {"<a href=x.html#@/tmp/s.txt>s</a>", true},
      {"<A HREF=\"&#35;&#35;RUN('x')\">s</A>", true},
      {"<a href=\"&#x23;!s.txt\">s</a>", true},
      {"<a href=\"#&excl;s.txt\">s</a>", true},
      {"<a href=\"&num;&commat;s.txt\">s</a>", true},
      {"<a href=\"&#0035;&#035;RUN\">s</a>", true},
      {"<meta http-equiv=refresh content=\"0;url=index.html##EXIT()\">", true},
      {"<button onclick=\"location.hash='##EXIT()'\">x</button>", true},
      {"<a title=\"a > b\" href=\"##EXIT()\">x</a>", true},
      {"<script>location.hash = \"##RUN('sh')\";</script>", true},
      {"<SCRIPT type=module>go('#@/x')</SCRIPT>", true},
      {"<form action=\"#!s.txt\"></form>", true},
      {"<a href=\"#top\">top</a><a href=\"#\">x</a>", false},
      {"<a href=\"https://groups.example/forum/#!forum/x\">g</a>", false},
      {"<a class=x href=http://x.org/##y>g</a><img src='data:image/png,##'>", false},
      {"<a href=\"javascript:location.hash='##EXIT()'\">x</a>", true},
      {"<a href=\"file:///tmp/b.k9w/index.html##EXIT()\">x</a>", true},
      {"<a title=\"see http://x.org/\" href=\"##EXIT()\">x</a>", true},
      {"<pre>#![feature(test)] ## heading #@ home</pre>", false},
      {"<!-- <a href=\"##EXIT()\"> --><p>x</p>", false},
      {"<a href=\"&#35;top\">x</a> &#35;&#35; in text", false},
      {"<a href=\"%23%23RUN\">x</a>", false},
      {"<scripts>##</scripts><p>##</p>", false},
      {"<script>var a = 1;</script><p>## after</p>", false},
      {"", false},
      {"<a href=\"#", false},
      {"<a href=\"&#", false},
      {"<script>unclosed ##x", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HoldsScriptLinks(c.page, LinkScanKind::kPage), c.holds) << c.page;
  }
}

TEST(ScriptLinkScanTest, ScriptsHoldLinksAnywhere) {
  EXPECT_TRUE(HoldsScriptLinks("location.hash = '##RUN(1)';", LinkScanKind::kScript));
  EXPECT_TRUE(HoldsScriptLinks("// #!s.txt", LinkScanKind::kScript));
  EXPECT_FALSE(HoldsScriptLinks("location.hash = '#' + '#RUN';", LinkScanKind::kScript));
  EXPECT_FALSE(HoldsScriptLinks("a.href = '#top'", LinkScanKind::kScript));
  EXPECT_FALSE(HoldsScriptLinks("<a href=\"##x\">", LinkScanKind::kNone));
}

}  // namespace
}  // namespace quire::pack
