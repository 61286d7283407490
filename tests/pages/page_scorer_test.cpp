#include "pages/page_scorer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace quire::testing {
namespace {

TEST(FoldAsciiCaseTest, UpperCasesAsciiLettersOnlyAtEveryAlignment) {
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  for (size_t offset = 0; offset < 9; ++offset) {
    std::string text = all.substr(offset) + all.substr(0, offset);
    std::string folded = text;
    FoldAsciiCase(folded.data(), folded.size());
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      unsigned char want = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
      ASSERT_EQ(static_cast<unsigned char>(folded[i]), want) << "byte " << int(c);
    }
  }
}

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
