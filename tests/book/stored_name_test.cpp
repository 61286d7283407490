#include "book/stored_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire {
namespace {

struct NameCase {
  std::string name;
  StoredNameCheck expected;
};

TEST(StoredNameTest, EachRuleDecidesOnItsOwn) {
  const std::string longPart(kMaxStoredNamePartBytes, 'a');
  std::string deep;
  for (size_t i = 0; i < kMaxStoredNameParts; ++i)
    deep += (i == 0 ? "d" : "/d");
  // Parts of 200 bytes: the whole name reaches its limit before any part or the depth.
  std::string longName;
  while (longName.size() + 201 < kMaxStoredNameBytes)
    longName += std::string(200, 'p') + "/";
  longName.resize(kMaxStoredNameBytes, 'z');
  const std::vector<NameCase> cases = {
      {"index.html", StoredNameCheck::kValid},
      {"library/os.html", StoredNameCheck::kValid},
      {"a/b/c/d.css", StoredNameCheck::kValid},
      {"caf\xC3\xA9/\xE2\x80\x94.html", StoredNameCheck::kValid},
      {"...", StoredNameCheck::kValid},
      {".hidden", StoredNameCheck::kValid},
      {"name with spaces.html", StoredNameCheck::kValid},
      {"", StoredNameCheck::kInvalid},
      {".", StoredNameCheck::kInvalid},
      {"..", StoredNameCheck::kInvalid},
      {"/etc/passwd", StoredNameCheck::kInvalid},
      {"a//b", StoredNameCheck::kInvalid},
      {"a/", StoredNameCheck::kInvalid},
      {"a/./b", StoredNameCheck::kInvalid},
      {"a/../../b", StoredNameCheck::kInvalid},
      {"../b", StoredNameCheck::kInvalid},
      {"a\\b", StoredNameCheck::kInvalid},
      {std::string("a\0b", 3), StoredNameCheck::kInvalid},
      {"evil\x1b[2J.txt", StoredNameCheck::kInvalid},
      {"tab\there", StoredNameCheck::kInvalid},
      {"del\x7f", StoredNameCheck::kInvalid},
      {longPart, StoredNameCheck::kValid},
      {longPart + "b", StoredNameCheck::kBeyondLimits},
      {"dir/" + longPart + "b", StoredNameCheck::kBeyondLimits},
      {deep, StoredNameCheck::kValid},
      {deep + "/d", StoredNameCheck::kBeyondLimits},
      {longName, StoredNameCheck::kValid},
      {longName + "z", StoredNameCheck::kBeyondLimits},
      // A broken rule outweighs a limit: such a name is never extracted.
      {deep + "/../d", StoredNameCheck::kInvalid},
  };
  for (const NameCase& c : cases)
    EXPECT_EQ(CheckStoredName(c.name), c.expected) << "name: " << c.name;
}

TEST(StoredNameTest, PlainNamesAreValidNamesWithoutFolders) {
  EXPECT_TRUE(IsPlainFileName("index.html"));
  EXPECT_FALSE(IsPlainFileName("library/os.html"));
  EXPECT_FALSE(IsPlainFileName(".."));
  EXPECT_FALSE(IsPlainFileName(std::string(kMaxStoredNamePartBytes + 1, 'a')));
}

TEST(StoredNameTest, FoldersAreListedOutermostFirst) {
  EXPECT_EQ(FoldersOfStoredName("a/b/c.html"), (std::vector<std::string_view>{"a", "a/b"}));
  EXPECT_TRUE(FoldersOfStoredName("c.html").empty());
}

TEST(StoredNameTest, ANameThroughAStoredFileIsBlockedWhateverTheOrder) {
  const std::vector<std::string_view> names = {"a/b.html", "a", "x/y/z", "x/y", "x/q", "../a/c"};
  EXPECT_EQ(NamesLeadingThroughFiles(names), (std::vector<size_t>{0, 2}));
}

TEST(StoredNameTest, InvalidNamesBlockNothing) {
  const std::vector<std::string_view> names = {"a/b.html", "a/", "a\\b/c", "a\\b"};
  EXPECT_TRUE(NamesLeadingThroughFiles(names).empty());
}

// Each rule on its own, for a book that keeps folders (one quire-pack built) and for any
// other book, which keeps its files in one folder as such books always did.
TEST(StoredNameTest, EntryVerdictsFollowEachRuleAndWhetherTheBookKeepsFolders) {
  using V = EntryName;
  const std::string longPart(kMaxStoredNamePartBytes + 1, 'a');
  std::string deep = "d";
  for (size_t i = 1; i < kMaxStoredNameParts; ++i)
    deep += "/d";
  struct Row {
    std::string name;
    V keeping;  // in a book that keeps folders
    V flat;     // in any other book
  };
  const std::vector<Row> rows = {
      {"index.html", V::kExtracted, V::kExtracted},
      {"library/os.html", V::kExtracted, V::kHoldsFolders},
      {"_static/css/base.css", V::kExtracted, V::kHoldsFolders},
      {deep + ".html", V::kExtracted, V::kHoldsFolders},
      {deep + "/e.html", V::kBeyondLimits, V::kBeyondLimits},
      {longPart, V::kBeyondLimits, V::kBeyondLimits},
      {"sub/" + longPart, V::kBeyondLimits, V::kBeyondLimits},
      {"", V::kInvalid, V::kInvalid},
      {"/abs.html", V::kInvalid, V::kInvalid},
      {"a//b.html", V::kInvalid, V::kInvalid},
      {"a/./b.html", V::kInvalid, V::kInvalid},
      {"a/../b.html", V::kInvalid, V::kInvalid},
      {"a/", V::kInvalid, V::kInvalid},
      {"a\\b.html", V::kInvalid, V::kInvalid},
      {"bell\x07/x.html", V::kInvalid, V::kInvalid},
      // A file in one entry and a folder in another: the file wins.
      {"page", V::kExtracted, V::kExtracted},
      {"page/inner.html", V::kThroughFile, V::kHoldsFolders},
      {"page/deeper/inner.html", V::kThroughFile, V::kHoldsFolders},
      {"pages/inner.html", V::kExtracted, V::kHoldsFolders},
  };
  std::vector<std::string_view> names;
  for (const Row& row : rows)
    names.push_back(row.name);
  const std::vector<V> keeping = CheckEntryNames(names, true);
  const std::vector<V> flat = CheckEntryNames(names, false);
  ASSERT_EQ(keeping.size(), rows.size());
  ASSERT_EQ(flat.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(keeping[i], rows[i].keeping);
    EXPECT_EQ(flat[i], rows[i].flat);
    EXPECT_EQ(*EntryNameProblem(keeping[i]) == '\0', keeping[i] == V::kExtracted);
  }
}

TEST(StoredNameTest, AFileBeforeOrAfterThePathThroughItWins) {
  for (const std::vector<std::string_view>& names :
       {std::vector<std::string_view>{"a", "a/b.html"},
        std::vector<std::string_view>{"a/b.html", "a"}}) {
    const std::vector<EntryName> verdicts = CheckEntryNames(names, true);
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(verdicts[i], names[i] == "a" ? EntryName::kExtracted : EntryName::kThroughFile)
          << names[i];
    }
  }
}

}  // namespace
}  // namespace quire
