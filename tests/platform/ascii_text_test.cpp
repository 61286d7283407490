#include "platform/ascii_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quire {
namespace {

// Only ASCII letters change case: bytes of other encodings stay exactly as they are.
TEST(AsciiTextTest, CaseChangesTouchOnlyAsciiLetters) {
  const struct {
    std::string text, lower, upper;
  } cases[] = {
      {"", "", ""},
      {"Index.HTML", "index.html", "INDEX.HTML"},
      {"@[`{09_", "@[`{09_", "@[`{09_"},  // the bytes next to the letter ranges
      {"\xC4pfel \xE9t\xE9", "\xC4pfel \xE9t\xE9", "\xC4PFEL \xE9T\xE9"},
      {std::string("a\0B", 3), std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(AsciiLowered(c.text), c.lower);
    EXPECT_EQ(AsciiUppered(c.text), c.upper);
  }
}

TEST(AsciiTextTest, ComparisonsIgnoreOnlyTheCaseOfAsciiLetters) {
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"", "", true},          {"Tools", "tOOLS", true}, {"tool", "tools", false},
      {"\xC4", "\xE4", false}, {"[", "{", false},        {"@", "`", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal);
  }
  EXPECT_TRUE(StartsWithIgnoringCase("HTTP://x", "http:"));
  EXPECT_FALSE(StartsWithIgnoringCase("htt", "http:"));
  EXPECT_TRUE(EndsWithIgnoringCase("photo.JPG", ".jpg"));
  EXPECT_FALSE(EndsWithIgnoringCase("jpg", ".jpg"));
}

TEST(AsciiTextTest, TrimmingRemovesTheGivenBytesFromTheEnds) {
  const struct {
    std::string text;
    std::string_view set;
    std::string left, right, both;
  } cases[] = {
      {"", kWhiteSpace, "", "", ""},
      {" \t\r\n\v\f", kWhiteSpace, "", "", ""},
      {"\r\n a b \t", kWhiteSpace, "a b \t", "\r\n a b", "a b"},
      {" \r a \r ", kBlanks, "\r a \r ", " \r a \r", "\r a \r"},
      {"xx", "x", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TrimLeft(c.text, c.set), c.left);
    EXPECT_EQ(TrimRight(c.text, c.set), c.right);
    EXPECT_EQ(Trim(c.text, c.set), c.both);
    EXPECT_EQ(TrimCopy(c.text, c.set), c.both);
  }
}

}  // namespace
}  // namespace quire
