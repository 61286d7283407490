#include "session/typed_text.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

TEST(TypedTextTest, MeetsTheBooksOwnEncoding) {
  struct Case {
    const char* typed;
    bool utf8Book;
    const char* bytes;
  };
  const Case cases[] = {
      {"caf\xC3\xA9", true, "caf\xC3\xA9"},
      {"caf\xC3\xA9", false, "caf\xE9"},
      {"\xE2\x82\xAC 5", false, "\x80 5"},                // euro sign
      {"\xE2\x80\x9Cq\xE2\x80\x9D", false, "\x93q\x94"},  // curly quotes
      {"\xE4\xB8\xAD", false, "?"},                       // not in the code page
      {"\xC2\x81", false, "?"},                           // unassigned in the code page
      {"plain", false, "plain"},
      {"\xFF", false, "\xFF"},  // not UTF-8: kept
      {"", false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TypedTextForBook(c.typed, c.utf8Book), c.bytes) << c.typed;
}

}  // namespace
}  // namespace quire
