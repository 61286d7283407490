#include "platform/shell_words.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quire {
namespace {

using Words = std::vector<std::string>;

Words Split(const std::string& line) {
  Words words;
  EXPECT_TRUE(SplitShellWords(line, &words)) << line;
  return words;
}

TEST(SplitShellWordsTest, SplitsLikeTheShell) {
  struct {
    const char* line;
    Words expected;
  } const cases[] = {
      {"", {}},
      {"   \t ", {}},
      {"prog", {"prog"}},
      {"  prog   a\tb  ", {"prog", "a", "b"}},
      {"prog 'a b' \"c d\"", {"prog", "a b", "c d"}},
      {"prog '' \"\"", {"prog", "", ""}},
      {"prog a'b c'd", {"prog", "ab cd"}},
      {"prog 'it\"s' \"it's\"", {"prog", "it\"s", "it's"}},
      {"prog '\\n$HOME'", {"prog", "\\n$HOME"}},
      {"prog \"a\\\"b\\\\c\\$d\\`e\\x\"", {"prog", "a\"b\\c$d`e\\x"}},
      {"prog a\\ b \\'c", {"prog", "a b", "'c"}},
      {"prog a\\", {"prog", "a\\"}},
      {"prog a\\\nb", {"prog", "ab"}},
      {"prog $HOME ~ *.txt ; x | y", {"prog", "$HOME", "~", "*.txt", ";", "x", "|", "y"}},
      {"/usr/bin/env\nA=1", {"/usr/bin/env", "A=1"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Split(c.line), c.expected) << c.line;
  }
}

TEST(SplitShellWordsTest, OpenQuotesFail) {
  for (const char* line : {"prog 'a", "prog \"a", "prog \"a\\\"", "'"}) {
    Words words;
    EXPECT_FALSE(SplitShellWords(line, &words)) << line;
  }
}

}  // namespace
}  // namespace quire
