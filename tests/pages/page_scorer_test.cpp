#include "pages/page_scorer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quire::testing {
namespace {

TEST(FindWordTest, AgreesWithPlainFindOnRandomTexts) {
  std::mt19937 random(7);
  const char alphabet[] = "abAB\xE9 ";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 70, ' ');
    for (char& c : text)
      c = alphabet[random() % 6];
    std::string word(1 + random() % 5, ' ');
    for (char& c : word)
      c = alphabet[random() % 6];
    size_t from = random() % (text.size() + 2);
    size_t want = from > text.size() ? std::string::npos : text.find(word, from);
    ASSERT_EQ(FindWord(text, word, from), want) << "[" << text << "] [" << word << "] " << from;
  }
}

TEST(FindWordTest, FindsNearTheEndOfLongTexts) {
  std::string text(1000, 'x');
  text += "needle";
  EXPECT_EQ(FindWord(text, "needle", 0), 1000u);
  EXPECT_EQ(FindWord(text, "needle", 1001), std::string::npos);
  EXPECT_EQ(FindWord(text, "needlex", 0), std::string::npos);
  EXPECT_EQ(FindWord(text, "", 3), 3u);
}

}  // namespace
}  // namespace quire::testing
