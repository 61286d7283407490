#include "pages/html_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "pages/text_replace.h"

namespace quire::testing {
namespace {

struct HtmlCase {
  std::string input;
  std::string html;
};

TEST(TextToHtmlTest, ConvertsAsATable) {
  const HtmlCase cases[] = {
      {"", ""},
      {"a b", "a b"},
      {"a  b", "a&nbsp;&nbsp;b"},
      {"a   b", "a&nbsp;&nbsp;&nbsp;b"},
      {"a     b", "a&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;b"},
      {"a\tb", "a&nbsp;&nbsp;&nbsp;&nbsp;b"},
      {"a\rb", "a<BR>b"},
      {"a\nb", "a<BR>b"},
      {"a\r\nb", "a<BR>b"},
      {"a\r\n\r\nb", "a<BR><BR>b"},
      {"a\n\rb", "a<BR><BR>b"},
      {"line  \t \r\nnext", "line<BR>next"},
      {"end  ", "end&nbsp;&nbsp;"},
      {"end ", "end "},
      {" start", " start"},
      {"<b> & \"q\"", "&lt;b&gt; &amp; &quot;q&quot;"},
      {"&nbsp;", "&amp;nbsp;"},
      {"x &nbsp; y", "x &amp;nbsp; y"},
      {"\xE9t\xE9", "\xE9t\xE9"},
  };
  for (const HtmlCase& c : cases) {
    EXPECT_EQ(TextToHtml(c.input), c.html) << "[" << c.input << "]";
    std::string inPlace = c.input;
    EXPECT_TRUE(TextToHtml(&inPlace)) << "[" << c.input << "]";
    EXPECT_EQ(inPlace, c.html) << "[" << c.input << "]";
  }
}

// The conversion written as the sequence of whole-text replacements it is defined by.
std::string ReplacementSteps(std::string text) {
  auto until = [&text](std::string_view from, std::string_view to) {
    while (ReplaceAll(&text, from, to) > 0) {
    }
  };
  ReplaceAll(&text, "&", "&amp;");
  ReplaceAll(&text, "<", "&lt;");
  ReplaceAll(&text, ">", "&gt;");
  ReplaceAll(&text, "\"", "&quot;");
  ReplaceAll(&text, "\t", "    ");
  ReplaceAll(&text, "\r\n", "\n");
  ReplaceAll(&text, "\r", "\n");
  until(" \n", "\n");
  ReplaceAll(&text, "\n", "<BR>");
  until("    ", "&nbsp;&nbsp;&nbsp;&nbsp;");
  until("   ", "&nbsp;&nbsp;&nbsp;");
  until("  ", "&nbsp;&nbsp;");
  for (bool changed = true; changed;) {
    changed = ReplaceAll(&text, " &nbsp;", "&nbsp;&nbsp;") > 0;
    changed = ReplaceAll(&text, "&nbsp; ", "&nbsp;&nbsp;") > 0 || changed;
  }
  return text;
}

TEST(TextToHtmlTest, AgreesWithTheStepByStepReplacementsOnRandomTexts) {
  std::mt19937 random(20240601);
  const char alphabet[] = {' ', ' ', ' ', '\t', '\r', '\n', 'a', '&', ';', 'n', 'b', 's', 'p', '<'};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    size_t length = random() % 24;
    for (size_t i = 0; i < length; ++i)
      text.push_back(alphabet[random() % sizeof(alphabet)]);
    ASSERT_EQ(TextToHtml(text), ReplacementSteps(text)) << "[" << text << "]";
  }
}

TEST(TextToHtmlTest, LongRunsStayFast) {
  std::string spaces(1 << 20, ' ');
  std::string html = TextToHtml("a" + spaces + "\nb" + spaces + "c");
  EXPECT_EQ(html.size(), 1 + 4 + 1 + 6 * spaces.size() + 1);
}

TEST(EscapeHtmlTest, EscapesMarkupCharactersOnly) {
  EXPECT_EQ(EscapeHtml("a<b & \"c\" > d"), "a&lt;b &amp; &quot;c&quot; &gt; d");
  EXPECT_EQ(EscapeHtml("&amp;"), "&amp;amp;");
  EXPECT_EQ(EscapeHtml("  line\r\nbreak\t"), "  line\r\nbreak\t");
  std::string original = "<x>";
  EscapeHtml(original);
  EXPECT_EQ(original, "<x>");
}

TEST(HexTest, ColoursAreRedGreenBlue) {
  EXPECT_EQ(ColorToHex(255), "FF0000");
  EXPECT_EQ(ColorToHex(32 | (64 << 8) | (128 << 16)), "204080");
  EXPECT_EQ(ColorToHex(0), "000000");
  EXPECT_EQ(ColorToHex(static_cast<int32_t>(0xFF000000u)), "000000");
  EXPECT_EQ(ColorToHex(-2), "FEFFFF");
  EXPECT_EQ(ColorToHex(0x00ABCDEF), "EFCDAB");
}

TEST(HexTest, BytesAndNibbles) {
  EXPECT_EQ(ByteToHex(0), "00");
  EXPECT_EQ(ByteToHex(0x0A), "0A");
  EXPECT_EQ(ByteToHex(0x1F0), "F0");
  EXPECT_EQ(ByteToHex(-1), "FF");
  for (int v = 0; v < 16; ++v)
    EXPECT_EQ(NibbleToHex(v), std::string(1, "0123456789ABCDEF"[v]));
}

TEST(NumberTextTest, DecimalAndFlags) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-42), "-42");
  EXPECT_EQ(IntToText(INT32_MIN), "-2147483648");
  EXPECT_EQ(BoolToText(0), "0");
  EXPECT_EQ(BoolToText(1), "1");
  EXPECT_EQ(BoolToText(-7), "1");
}

}  // namespace
}  // namespace quire::testing
