#include "platform/text_case.h"

#include <gtest/gtest.h>

#include <string>

namespace quire::testing {
namespace {

constexpr TextEncoding kUtf8 = TextEncoding::kUtf8;
constexpr TextEncoding kWindows1252 = TextEncoding::kWindows1252;

struct CaseRow {
  const char* what;
  std::string text;
  std::string upper;
  std::string lower;
};

// Unicode's simple case mapping on UTF-8, one character to one character.
const CaseRow kUtf8Rows[] = {
    {"ASCII", "Hello, World 42!", "HELLO, WORLD 42!", "hello, world 42!"},
    {"Latin with diacritics", "\xC3\xA9t\xC3\xA9 \xC3\xA0 \xC3\x84rger \xC5\x93uvre",
     "\xC3\x89T\xC3\x89 \xC3\x80 \xC3\x84RGER \xC5\x92UVRE",
     "\xC3\xA9t\xC3\xA9 \xC3\xA0 \xC3\xA4rger \xC5\x93uvre"},
    {"Greek, final sigma too", "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 \xCE\xA3",
     "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3 \xCE\xA3",
     "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82 \xCF\x83"},
    {"Cyrillic", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
     "\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90",
     "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},
    {"dotless i: two bytes up to one", "\xC4\xB1", "I", "\xC4\xB1"},
    {"long s: two bytes up to one", "\xC5\xBF", "S", "\xC5\xBF"},
    {"title case", "\xC7\x85", "\xC7\x84", "\xC7\x86"},
    {"turned a: two bytes up to three", "\xC9\x90", "\xE2\xB1\xAF", "\xC9\x90"},
    {"capital turned a: three bytes down to two", "\xE2\xB1\xAF", "\xE2\xB1\xAF", "\xC9\x90"},
    {"Kelvin sign: three bytes down to one", "\xE2\x84\xAA", "\xE2\x84\xAA", "k"},
    {"sharp s has no simple upper case", "\xC3\x9F", "\xC3\x9F", "\xC3\x9F"},
    {"capital sharp s", "\xE1\xBA\x9E", "\xE1\xBA\x9E", "\xC3\x9F"},
    {"four-byte letters (Deseret)", "\xF0\x90\x90\xA8", "\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"},
    {"no case", "\xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC", "\xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC",
     "\xE4\xB8\xAD\xE6\x96\x87 \xE2\x82\xAC"},
    {"invalid bytes stay: lone Latin-1, cut sequence, stray continuation, overlong",
     std::string("a\xE9z \xC3 \x80x \xC0\xAF\xED\xA0\x80", 14),
     std::string("A\xE9Z \xC3 \x80X \xC0\xAF\xED\xA0\x80", 14),
     std::string("a\xE9z \xC3 \x80x \xC0\xAF\xED\xA0\x80", 14)},
    {"zero bytes are text too", std::string("a\0b", 3), std::string("A\0B", 3),
     std::string("a\0b", 3)},
};

// A book marked Windows-1252: that code page's letters, each one byte.
const CaseRow kWindows1252Rows[] = {
    {"Latin-1 letters", "\xE9t\xE9 \xE0 \xC4rger", "\xC9T\xC9 \xC0 \xC4RGER",
     "\xE9t\xE9 \xE0 \xE4rger"},
    {"the letters at 0x80-0x9F", "\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},
    {"and back down", "\x8A\x8C\x8E\x9F", "\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF"},
    {"upper case outside the code page: stays", "\xB5\xDF", "\xB5\xDF", "\xB5\xDF"},
    {"unassigned bytes and signs stay", "\x81\x8D\x80\xA9", "\x81\x8D\x80\xA9", "\x81\x8D\x80\xA9"},
};

TEST(TextCaseTest, Utf8TextsAcrossScripts) {
  for (const CaseRow& row : kUtf8Rows) {
    EXPECT_EQ(UpperCased(row.text, kUtf8), row.upper) << row.what;
    EXPECT_EQ(LowerCased(row.text, kUtf8), row.lower) << row.what;
  }
}

TEST(TextCaseTest, Windows1252Texts) {
  for (const CaseRow& row : kWindows1252Rows) {
    EXPECT_EQ(UpperCased(row.text, kWindows1252), row.upper) << row.what;
    EXPECT_EQ(LowerCased(row.text, kWindows1252), row.lower) << row.what;
  }
}

TEST(TextCaseTest, FoldCaseIsUpperCaseAndSaysWhenLengthsChanged) {
  for (const CaseRow& row : kUtf8Rows) {
    // Long ASCII runs around the row take the eight-byte path on both sides of it.
    const std::string text = std::string(19, 'x') + row.text + std::string(21, 'y');
    std::string folded = "old";
    const bool same = FoldCase(text, kUtf8, &folded);
    EXPECT_EQ(folded, UpperCased(text, kUtf8)) << row.what;
    EXPECT_EQ(same, row.upper.size() == row.text.size()) << row.what;
  }
  for (const CaseRow& row : kWindows1252Rows) {
    std::string folded;
    EXPECT_TRUE(FoldCase(row.text, kWindows1252, &folded)) << row.what;
    EXPECT_EQ(folded, row.upper) << row.what;
  }
}

TEST(TextCaseTest, FoldInPlaceStopsWhereALengthWouldChange) {
  std::string text =
      "abc\xC3\xA9 d\xC4\xB1"
      "ef";
  EXPECT_EQ(FoldCaseInPlace(text.data(), text.size(), kUtf8), 7u);
  EXPECT_EQ(text,
            "ABC\xC3\x89 D\xC4\xB1"
            "ef");
}

TEST(TextCaseTest, FoldedOffsetsLeadBackToTheirCharacters) {
  // "ıx": 'ı' folds to one byte, so folded offset 1 ('X') is offset 2 of the text.
  const std::string text = "a\xC4\xB1x\xC9\x90y";
  EXPECT_EQ(FoldedOffsetToOriginal(text, 0, kUtf8), 0u);
  EXPECT_EQ(FoldedOffsetToOriginal(text, 1, kUtf8), 1u);
  EXPECT_EQ(FoldedOffsetToOriginal(text, 2, kUtf8), 3u);
  EXPECT_EQ(FoldedOffsetToOriginal(text, 3, kUtf8), 4u);  // 'ɐ' folds to three bytes
  EXPECT_EQ(FoldedOffsetToOriginal(text, 6, kUtf8), 6u);
  EXPECT_EQ(FoldedOffsetToOriginal(text, 99, kUtf8), text.size());
  EXPECT_EQ(FoldedOffsetToOriginal("\xE9t\xE9", 2, kWindows1252), 2u);
}

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

}  // namespace
}  // namespace quire::testing
