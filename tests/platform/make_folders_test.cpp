#include "platform/make_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedTmpdir;
using testing::WriteWholeFile;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 0777;
}

TEST(MakeFoldersTest, MakesEachMissingFolderParentsFirstAndSaysWhich) {
  ScopedTmpdir tmp;
  const std::string base = tmp.Path();
  ASSERT_EQ(mkdir((base + "/have").c_str(), 0755), 0);
  const struct {
    std::string path;
    std::vector<std::string> made;
  } cases[] = {
      {base + "/have/a/b/", {base + "/have/a", base + "/have/a/b"}},
      {base + "/have/a/b", {}},  // everything there already
      {base + "/have//c///d", {base + "/have//c", base + "/have//c///d"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<std::string> made;
    EXPECT_TRUE(MakeFolders(c.path, 0700, [&](const std::string& f) { made.push_back(f); }));
    EXPECT_EQ(made, c.made);
  }
  EXPECT_EQ(ModeOf(base + "/have/a/b") & 0700, 0700u);
  EXPECT_EQ(ModeOf(base + "/have/a/b") & 0077, 0u);
  EXPECT_TRUE(MakeFolders(base + "/have/e", 0700));  // no one to tell
}

TEST(MakeFoldersTest, AFileOnThePathFailsAndALinkToAFolderIsFollowed) {
  ScopedTmpdir tmp;
  const std::string base = tmp.Path();
  ASSERT_TRUE(WriteWholeFile(base + "/file", "x"));
  ASSERT_EQ(mkdir((base + "/real").c_str(), 0700), 0);
  ASSERT_EQ(symlink((base + "/real").c_str(), (base + "/link").c_str()), 0);
  std::vector<std::string> made;
  const auto record = [&](const std::string& f) { made.push_back(f); };
  EXPECT_FALSE(MakeFolders(base + "/file/sub/", 0700, record));
  EXPECT_FALSE(MakeFolders(base + "/file", 0700, record));
  EXPECT_TRUE(made.empty());
  EXPECT_TRUE(MakeFolders(base + "/link/sub/", 0700, record));
  EXPECT_EQ(made, (std::vector<std::string>{base + "/link/sub"}));
  struct stat info {};
  EXPECT_EQ(stat((base + "/real/sub").c_str(), &info), 0);
}

}  // namespace
}  // namespace quire
