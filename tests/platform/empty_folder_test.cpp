#include "platform/empty_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/scoped_tmpdir.h"
#include "support/startup_run.h"

namespace quire {
namespace {

using testing::EverythingUnder;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

// EmptyFolder on the folder at `path`, opened as a reader opens its book folder.
bool EmptyFolderAt(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  EXPECT_GE(fd, 0) << path;
  const bool empty = EmptyFolder(fd);
  close(fd);
  return empty;
}

TEST(EmptyFolderTest, RemovesEverythingInsideButNothingALinkLeadsTo) {
  ScopedTmpdir tmp;
  const std::string outside = tmp.File("outside");
  ASSERT_EQ(mkdir(outside.c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(outside + "/keep.html", "kept"));
  const std::string folder = tmp.File("book.k9w");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  for (const char* sub : {"/a", "/a/b", "/a/b/c", "/locked"})
    ASSERT_EQ(mkdir((folder + sub).c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(folder + "/page.html", "x"));
  ASSERT_TRUE(WriteWholeFile(folder + "/a/b/c/deep.html", "x"));
  ASSERT_EQ(symlink(outside.c_str(), (folder + "/a/out").c_str()), 0);
  ASSERT_EQ(symlink((outside + "/keep.html").c_str(), (folder + "/keep.html").c_str()), 0);
  ASSERT_EQ(symlink("/nowhere", (folder + "/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((folder + "/pipe").c_str(), 0600), 0);
  ASSERT_EQ(chmod((folder + "/locked").c_str(), 0), 0);

  EXPECT_TRUE(EmptyFolderAt(folder));
  EXPECT_EQ(EverythingUnder(folder), std::vector<std::string>{});
  EXPECT_EQ(EverythingUnder(outside), std::vector<std::string>{"keep.html"});
  EXPECT_EQ(testing::ReadWholeFile(outside + "/keep.html"), "kept");
}

TEST(EmptyFolderTest, FoldersNestedTooDeepAreLeftAndSaidSo) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("book.k9w");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(folder + "/page.html", "x"));
  std::string deep = folder;
  for (int level = 0; level < 70; ++level) {
    deep += "/d";
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  EXPECT_FALSE(EmptyFolderAt(folder));
  EXPECT_FALSE(testing::PathExists(folder + "/page.html"));
  EXPECT_TRUE(testing::PathExists(folder + "/d"));
}

}  // namespace
}  // namespace quire
