#include "pages/visible_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::testing {
namespace {

struct TextRow {
  const char* what;
  std::string html;
  std::string text;
};

TEST(VisibleTextTest, WhatAReaderSeesOfAPage) {
  const TextRow rows[] = {
      {"plain text", "hello world", "hello world"},
      {"runs of white space as one space, none at the ends", " \t a \r\n\n b\f c  ", "a b c"},
      {"markup left out",
       "<html><head><title>T</title></head><body><h1 class=navheader>Head</h1>"
       "<p>One <b>bold</b> word.</p></body></html>",
       "Head One bold word."},
      {"attributes, quoted '>' too", "<a href=\"x>y\" accesskey='k>'>link</a> <img alt=\"key\">",
       "link"},
      {"inline elements join, others separate",
       "foo<span>bar</span><em>baz</em><div>qux</div>x<br>y", "foobarbaz qux x y"},
      {"end tags of blocks separate too", "<td>a</td><td>b</td>", "a b"},
      {"comments, also with markup in them", "a<!-- <p>hidden</p> -->b<!---->c<!-->d", "abcd"},
      {"an unclosed comment runs to the end", "a<!-- never closed <p>b", "a"},
      {"declarations and processing instructions", "<!DOCTYPE html><?xml version=\"1.0\"?>x", "x"},
      {"scripts and styles",
       "a<script>if (a < b && c) document.write('<p>no</p>')</script>b"
       "<style>p > a { color: red }</style>c<SCRIPT type=x>y</SCRIPT >d",
       "a b c d"},
      {"a script end tag needs its name whole", "<script>x</scripts>y</script>z", "z"},
      {"unseen elements", "<title>T</title><noscript>n</noscript><template>t</template>v", "v"},
      {"an unclosed script hides the rest", "a<script>b", "a"},
      {"named references",
       "&lt;p&gt; &amp; &quot;q&quot; &eacute;t&eacute; &mdash; &NotEqualTilde;",
       "<p> & \"q\" \xC3\xA9t\xC3\xA9 \xE2\x80\x94 \xE2\x89\x82\xCC\xB8"},
      {"old names without semicolon, the longest", "&copy 2024 &notit; &ampx",
       "\xC2\xA9 2024 \xC2\xACit; &x"},
      {"numeric references", "&#65;&#x42;&#X43;&#67 &#x1F600; &#150;",
       "ABCC \xF0\x9F\x98\x80 \xE2\x80\x93"},
      {"references to no character", "&#0;&#xD800;&#1114112;",
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"what is no reference stays", "a & b &unknown; &# &#x; AT&T",
       "a & b &unknown; &# &#x; AT&T"},
      {"no-break spaces are spaces", "foreign&nbsp;key foreign&#160;&#xa0;key foreign\xC2\xA0key",
       "foreign key foreign key foreign key"},
      {"a '<' that starts no tag is text", "1 < 2, a <= b, x<3", "1 < 2, a <= b, x<3"},
      {"odd end tags", "a</>b</3c>d", "abd"},
      {"an unclosed tag hides the rest", "text <a href=\"x", "text"},
      {"bytes that are no UTF-8 stay", "caf\xE9 <b>\xFF</b>", "caf\xE9 \xFF"},
  };
  for (const TextRow& row : rows)
    EXPECT_EQ(VisibleText(row.html, TextEncoding::kUtf8), row.text) << row.what;
}

TEST(VisibleTextTest, WindowsBooksGetTheirCodePage) {
  const TextRow rows[] = {
      {"references the code page has", "&eacute;t&eacute; &euro; &#233;", "\xE9t\xE9 \x80 \xE9"},
      {"references it has not stay as written", "&#x41F; &mdash;", "&#x41F; \x97"},
      {"0xA0 is a no-break space",
       "a\xA0"
       "b&nbsp;c",
       "a b c"},
      {"0xC2 0xA0 is two letters there",
       "a\xC2\xA0"
       "b",
       "a\xC2 b"},
  };
  for (const TextRow& row : rows)
    EXPECT_EQ(VisibleText(row.html, TextEncoding::kWindows1252), row.text) << row.what;
}

TEST(VisibleTextTest, TheWholePageCountsHoweverLong) {
  std::string page = "<html><body><p>start</p>";
  while (page.size() < 200000)
    page += "<div class=\"x\">filler words</div>\n";
  page += "<p>errverbose</p></body></html>";
  const std::string text = VisibleText(page, TextEncoding::kUtf8);
  EXPECT_EQ(text.substr(0, 18), "start filler words");
  EXPECT_EQ(text.substr(text.size() - 11), " errverbose");
}

TEST(SearchTextOfFileTest, PagesByNameOtherFilesAsTheirText) {
  EXPECT_EQ(SearchTextOfFile("a.html", "<p>x</p>", TextEncoding::kUtf8), "x");
  EXPECT_EQ(SearchTextOfFile("dir/A.HTM", "<p>x</p>", TextEncoding::kUtf8), "x");
  EXPECT_EQ(SearchTextOfFile("a.xhtml", "<p>x</p>", TextEncoding::kUtf8), "x");
  EXPECT_EQ(SearchTextOfFile("notes.txt", "  <p>x</p>\n\n  y  ", TextEncoding::kUtf8),
            "<p>x</p> y");
  EXPECT_EQ(SearchTextOfFile("data.bin", std::string("ab\0cd", 5), TextEncoding::kUtf8), "ab");
  EXPECT_FALSE(IsPageName("page.html.txt"));
  EXPECT_TRUE(IsPageName("index.shtml"));
}

}  // namespace
}  // namespace quire::testing
