#include "script/command_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quire::testing {
namespace {

bool IsKeyword(std::string_view keyword) {
  if (keyword.empty() || keyword[0] < 'A' || keyword[0] > 'Z')
    return false;
  for (char ch : keyword) {
    if (!((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')))
      return false;
  }
  return true;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& ch : lower) {
    if (ch >= 'A' && ch <= 'Z')
      ch = static_cast<char>(ch - 'A' + 'a');
  }
  return lower;
}

// Every file's list reaches the table: each keyword once, written in capitals, found by
// exactly its own spelling, with a handler and sensible counts.
TEST(CommandTableTest, EveryEntryIsFoundByItsOwnKeywordOnly) {
  std::set<std::string_view> keywords;
  for (const CommandSpec& entry : AllCommands()) {
    EXPECT_TRUE(IsKeyword(entry.keyword)) << entry.keyword;
    EXPECT_TRUE(keywords.insert(entry.keyword).second) << entry.keyword << " twice";
    EXPECT_NE(entry.handler, nullptr) << entry.keyword;
    EXPECT_GE(entry.minParams, 0) << entry.keyword;
    EXPECT_LE(entry.minParams, entry.maxParams) << entry.keyword;
    EXPECT_EQ(FindCommand(entry.keyword), &entry) << entry.keyword;
    EXPECT_EQ(FindCommand(Lower(entry.keyword)), nullptr) << entry.keyword;
    EXPECT_EQ(FindCommand(std::string(entry.keyword) + " "), nullptr) << entry.keyword;
  }
  size_t listed = 0;
  for (std::span<const CommandSpec> list :
       {ControlCommands(), StringCommands(), FileCommands(), WindowCommands()}) {
    EXPECT_FALSE(list.empty());
    listed += list.size();
  }
  EXPECT_EQ(AllCommands().size(), listed);
  EXPECT_EQ(FindCommand(""), nullptr);
}

// Only the keywords that open, divide or close a block run inside a skipped block, so
// that the nesting stays balanced; everything else is skipped there.
TEST(CommandTableTest, OnlyBlockKeywordsRunWhenSkipped) {
  const std::set<std::string_view> blocks = {
      "IF", "IFSTREQUAL", "IFSTRNOTEQUAL", "ELSE", "ENDIF", "WHILE", "WEND", "REPEAT", "UNTIL"};
  for (const CommandSpec& entry : AllCommands())
    EXPECT_EQ(entry.runsWhenSkipped, blocks.count(entry.keyword) == 1) << entry.keyword;
}

}  // namespace
}  // namespace quire::testing
