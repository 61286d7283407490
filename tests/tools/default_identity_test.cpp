#include "default_identity.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace quire::pack {
namespace {

TEST(DefaultEsbnTest, FolderNameAndAHashOfTitleAndFolder) {
  const std::string python = DefaultEsbn("Python 3.11 documentation", "html");
  EXPECT_TRUE(std::regex_match(python, std::regex("html-[0-9a-f]{8}"))) << python;
  // The same source again: the same ESBN.
  EXPECT_EQ(DefaultEsbn("Python 3.11 documentation", "html"), python);
  // Another site in a folder of the same name, or the same title elsewhere: another one.
  EXPECT_NE(DefaultEsbn("PostgreSQL 15 Documentation", "html"), python);
  EXPECT_NE(DefaultEsbn("Python 3.11 documentation", "html2"), python);
  EXPECT_NE(DefaultEsbn("ab", "c"),
            DefaultEsbn("a", "bc").substr(0, 2) + "c" + DefaultEsbn("a", "bc").substr(3));
  // Only identifier characters from the folder's name; "book" when none are left.
  EXPECT_EQ(DefaultEsbn("T", "my site!").substr(0, 7), "mysite-");
  EXPECT_EQ(DefaultEsbn("T", "...").substr(0, 5), "book-");
}

TEST(DefaultEsbnTest, FitsABookIdWithItsHashWhateverTheFolderName) {
  const std::string longName(200, 'n');
  const std::string esbn = DefaultEsbn("T", longName);
  EXPECT_LE(esbn.size(), 63u);
  EXPECT_TRUE(std::regex_match(esbn, std::regex("n+-[0-9a-f]{8}"))) << esbn;
  EXPECT_NE(DefaultEsbn("Other", longName), esbn);
}

}  // namespace
}  // namespace quire::pack
