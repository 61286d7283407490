// Words typed into the search dialog reach the search in the book's own bytes.
#include <gtest/gtest.h>

#include "session/display_text.h"

namespace quire {
namespace {

TEST(TypedSearchWordsTest, MeetTheBytesOfAWindows1252Book) {
  const std::pair<const char*, const char*> cases[] = {
      {"caf\xC3\xA9", "caf\xE9"},
      {"\xE2\x82\xAC 5", "\x80 5"},                // euro sign
      {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},  // curly quotes
      {"\xE4\xB8\xAD", "\xE4\xB8\xAD"},            // not in the code page: kept
      {"plain", "plain"},
      {"\xFF", "\xFF"},  // not UTF-8: kept
      {"", ""},
  };
  for (const auto& [typed, bytes] : cases)
    EXPECT_EQ(Utf8ToWindows1252(typed), bytes) << typed;
}

}  // namespace
}  // namespace quire
