#include "search_text_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "pages/search_text_store.h"
#include "support/scoped_tmpdir.h"

namespace quire::testing {
namespace {

using pack::SearchTextWriter;

TEST(SearchTextWriterTest, WritesWhatTheReaderReads) {
  const std::vector<PageText> texts = {
      {0, "index.html", "start page"}, {2, "a.html", "alpha"}, {4, "dir/b.html", ""}};
  ScopedTmpdir tmp;
  SearchTextWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(tmp.File("texts"), texts.size(), &error)) << error;
  for (const PageText& page : texts)
    ASSERT_TRUE(writer.Add(page.index, page.name, page.text, &error)) << error;
  ASSERT_TRUE(writer.Finish(&error)) << error;
  EXPECT_EQ(ReadWholeFile(tmp.File("texts")), SearchTextBytes(texts));
}

TEST(SearchTextWriterTest, RefusesMoreOrFewerPagesThanAnnouncedAndUnwritablePlaces) {
  ScopedTmpdir tmp;
  std::string error;
  SearchTextWriter more;
  ASSERT_TRUE(more.Open(tmp.File("more"), 1, &error));
  ASSERT_TRUE(more.Add(0, "a", "x", &error));
  EXPECT_FALSE(more.Add(1, "b", "y", &error));
  SearchTextWriter fewer;
  ASSERT_TRUE(fewer.Open(tmp.File("fewer"), 2, &error));
  ASSERT_TRUE(fewer.Add(0, "a", "x", &error));
  EXPECT_FALSE(fewer.Finish(&error));
  SearchTextWriter nowhere;
  EXPECT_FALSE(nowhere.Open(tmp.File("no/such/folder"), 1, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
  // A link planted where the file goes is not followed.
  ASSERT_EQ(symlink(tmp.File("target").c_str(), tmp.File("planted").c_str()), 0);
  SearchTextWriter planted;
  EXPECT_FALSE(planted.Open(tmp.File("planted"), 1, &error));
  EXPECT_FALSE(PathExists(tmp.File("target")));
}

}  // namespace
}  // namespace quire::testing
