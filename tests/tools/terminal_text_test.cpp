#include "terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::pack {
namespace {

TEST(TerminalTextTest, ControlBytesAndBackslashesBecomeVisible) {
  struct {
    std::string text;
    std::string shown;
  } const cases[] = {
      {"", ""},
      {"Plain title 1.0", "Plain title 1.0"},
      {"\x1b[2J\x1b]0;owned\x07", "\\x1b[2J\\x1b]0;owned\\x07"},
      {"a\nb\rc\td", "a\\nb\\rc\\td"},
      {std::string("nul\0byte", 8), "nul\\x00byte"},
      {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
      {"C:\\books", "C:\\\\books"},
      // Written out literally, an escape's characters stay distinct from the byte itself.
      {"\\x1b", "\\\\x1b"},
      // UTF-8 and Windows-1252 letters are kept for the terminal to show.
      {"Caf\xc3\xa9 \xe9", "Caf\xc3\xa9 \xe9"},
      {" !~", " !~"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TerminalText(c.text), c.shown) << c.shown;
}

TEST(TerminalTextTest, LinesKeepTheirBackslashesAndOptionallyTheirLineFeeds) {
  struct {
    std::string text;
    bool keepLineFeeds;
    std::string shown;
  } const cases[] = {
      {"title = \"a\\\\b\x1b[1m\"", false, "title = \"a\\\\b\\x1b[1m\""},
      {"one\ntwo\x1b", false, "one\\ntwo\\x1b"},
      {"one\ntwo\x1b", true, "one\ntwo\\x1b"},
      {"tab\tcr\r\x7f", true, "tab\\tcr\\r\\x7f"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TerminalLine(c.text, c.keepLineFeeds), c.shown) << c.shown;
}

}  // namespace
}  // namespace quire::pack
