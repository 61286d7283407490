#include "session/display_text.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>

#include "book/cebook.h"
#include "book/ebook_settings.h"

namespace quire::testing {
namespace {

TEST(DisplayTextTest, RecognisesWellFormedUtf8) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"plain ASCII", true},
      {"caf\xC3\xA9", true},
      {"\xE2\x82\xAC euro", true},
      {"\xF0\x9F\x93\x96 book", true},
      {"caf\xE9", false},           // Windows-1252 e acute
      {"\xC3", false},              // cut short
      {"\xE2\x82", false},          // cut short
      {"\xC0\xAF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\x80 lone continuation", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
}

TEST(DisplayTextTest, ReadsOtherTextAsWindows1252) {
  EXPECT_EQ(ToDisplayText("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(ToDisplayText("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(ToDisplayText("\x80 \x93q\x94"), "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D");
  EXPECT_EQ(ToDisplayText("\x81\xFF"), "\xEF\xBF\xBD\xC3\xBF");
}

TEST(DisplayTextTest, TurnsUtf8BackIntoWindows1252WhereItCan) {
  const struct {
    const char* utf8;
    const char* cp1252;
  } cases[] = {
      {"caf\xC3\xA9", "caf\xE9"},
      {"\xE2\x82\xAC and \xE2\x80\x9Cq\xE2\x80\x9D", "\x80 and \x93q\x94"},
      {"\xC2\xA0\xC3\xBF", "\xA0\xFF"},
      {"plain", "plain"},
      {"\xE2\x86\x92 arrow", "\xE2\x86\x92 arrow"},  // not in the code page
      {"\xC2\x81", "\xC2\x81"},                      // U+0081 is no cp1252 character
      {"raw \xE9t\xE9", "raw \xE9t\xE9"},            // already single bytes
      {"\xF0\x9F\x93\x96", "\xF0\x9F\x93\x96"},      // four-byte sequence kept
      {"cut \xC3", "cut \xC3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8ToWindows1252(c.utf8), c.cp1252) << c.utf8;
  // Round trip over every byte the code page assigns.
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    std::string one(1, static_cast<char>(byte));
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D ||
        byte == 0x7F)
      continue;
    EXPECT_EQ(Utf8ToWindows1252(ToDisplayText(one)), one) << byte;
  }
}

TEST(DisplayTextTest, BookCharsetFollowsItsTexts) {
  ReaderContext context;
  EBookSettings settings{};
  settings.title = "Caf\xC3\xA9";
  context.book.SetRecords(settings, {}, {});
  EXPECT_EQ(BookDefaultCharset(context.book), "UTF-8");
  settings.author = "Jos\xE9";
  context.book.SetRecords(settings, {}, {});
  EXPECT_EQ(BookDefaultCharset(context.book), "windows-1252");
  settings.author = "Jose";
  EBookFile file{};
  file.fileName = "page.html";
  file.title = "\xE9t\xE9";
  context.book.SetRecords(settings, {file}, {});
  EXPECT_EQ(BookDefaultCharset(context.book), "windows-1252");
}

}  // namespace
}  // namespace quire::testing
