#include "platform/utf8.h"

#include <gtest/gtest.h>

#include "platform/ascii_text.h"

namespace quire::testing {
namespace {

TEST(Utf8Test, EncodesEachLengthAndReplacesWhatIsNoCharacter) {
  const struct {
    uint32_t codePoint;
    const char* bytes;
  } cases[] = {
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x20AC, "\xE2\x82\xAC"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0, "\xEF\xBF\xBD"},
      {0xD800, "\xEF\xBF\xBD"},
      {0xDFFF, "\xEF\xBF\xBD"},
      {0x110000, "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendUtf8(c.codePoint, &out);
    EXPECT_EQ(out, std::string("x") + c.bytes) << std::hex << c.codePoint;
  }
}

TEST(AsciiTextTest, HexDigitsOfEitherCaseAndNothingElse) {
  const struct {
    char c;
    int value;
  } cases[] = {{'0', 0},  {'9', 9},  {'a', 10}, {'f', 15}, {'A', 10},  {'F', 15},
               {'g', -1}, {'G', -1}, {'/', -1}, {':', -1}, {'\0', -1}, {'\xC3', -1}};
  for (const auto& c : cases)
    EXPECT_EQ(AsciiHexValue(c.c), c.value) << c.c;
}

}  // namespace
}  // namespace quire::testing
