#include "pages/link_attribute.h"

#include <gtest/gtest.h>

#include <string>

namespace quire {
namespace {

TEST(LinkAttributeTest, OnlyAddressesThatRunNoScriptAreLinks) {
  const struct {
    const char* address;
    bool linkable;
  } cases[] = {
      {"http://x.org/", true},
      {"HTTPS://x.org/", true},
      {"ftp://x.org/f", true},
      {"mailto:a@x.org", true},
      {"news:comp.lang", true},
      {"file:///tmp/a.html", true},
      {"notes.html", true},
      {"sub/page.html?t=10:30", true},
      {"1x:y", true},
      {"&#106;avascript:alert(1)", true},
      {"javascript:alert(1)", false},
      {"JavaScript:alert(1)", false},
      {"\t java\nscript:x", false},
      {"\x01javascript:x", false},
      {"vbscript:x", false},
      {"data:text/html,x", false},
      {"blob:http://x/1", false},
      {"about:blank", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsLinkableAddress(c.address), c.linkable) << c.address;
}

TEST(LinkAttributeTest, ValuesAreQuotedOnlyWhenTheyCouldEndTheAttribute) {
  EXPECT_EQ(HrefValue("http://x.org/?a=1&b=2"), "http://x.org/?a=1&b=2");
  EXPECT_EQ(HrefValue("notes.html"), "notes.html");
  EXPECT_EQ(HrefValue("http://x.org/ onclick=x"), "\"http://x.org/ onclick=x\"");
  EXPECT_EQ(HrefValue("a\"b>c"), "\"a&quot;b&gt;c\"");
  EXPECT_EQ(HrefValue("page.html?a&b"), "\"page.html?a&amp;b\"");
  EXPECT_EQ(EscapedAttributeValue("MAILTO:a@x.org"), "MAILTO:a@x.org");
  EXPECT_EQ(EscapedAttributeValue("MAILTO:a@x.org\fx"), "\"MAILTO:a@x.org\fx\"");
  EXPECT_EQ(EscapedAttributeValue("MAILTO:a`b"), "\"MAILTO:a`b\"");
}

}  // namespace
}  // namespace quire
