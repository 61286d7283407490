#include "html_meta.h"

#include <gtest/gtest.h>

namespace quire::pack {
namespace {

TEST(HtmlMetaTest, ReadsTitleDescriptionAndKeywordsFromTheHead) {
  HtmlMeta meta = ReadHtmlMeta(
      "<HTML><HEAD><TITLE>\n  Fish &amp; Chips\t&#8212; a  &quot;guide&quot;\n</TITLE>\n"
      "<META NAME=\"Description\" CONTENT='Frying &lt;well&gt;'>\n"
      "<meta content=\"cod, haddock\" name=keywords />\n</HEAD><body>x</body></HTML>");
  EXPECT_EQ(meta.title, "Fish & Chips \xE2\x80\x94 a \"guide\"");
  EXPECT_EQ(meta.description, "Frying <well>");
  EXPECT_EQ(meta.keywords, "cod, haddock");
}

TEST(HtmlMetaTest, MissingTagsGiveEmptyTextsAndUnknownReferencesStay) {
  HtmlMeta meta = ReadHtmlMeta("<p>no head here &bogus; <meta name=\"author\" content=\"x\">");
  EXPECT_EQ(meta.title, "");
  EXPECT_EQ(meta.description, "");
  EXPECT_EQ(CleanHtmlText("a &bogus; &#xZZ; b"), "a &bogus; &#xZZ; b");
}

TEST(HtmlMetaTest, TitleWithoutItsEndTagRunsToTheEndOfWhatWasRead) {
  EXPECT_EQ(ReadHtmlMeta("<title>Cut sh").title, "Cut sh");
  EXPECT_EQ(ReadHtmlMeta("<title").title, "");
}

}  // namespace
}  // namespace quire::pack
