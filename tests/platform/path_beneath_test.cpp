#include "platform/path_beneath.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::PathExists;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

// base/a/b/file.txt, base/link -> outside, outside/file.txt
class PathBeneathTest : public ::testing::Test {
 protected:
  PathBeneathTest() {
    EXPECT_EQ(mkdir(Base().c_str(), 0700), 0);
    EXPECT_EQ(mkdir((Base() + "/a").c_str(), 0700), 0);
    EXPECT_EQ(mkdir((Base() + "/a/b").c_str(), 0700), 0);
    EXPECT_TRUE(WriteWholeFile(Base() + "/a/b/file.txt", "inside"));
    EXPECT_EQ(mkdir(Outside().c_str(), 0700), 0);
    EXPECT_TRUE(WriteWholeFile(Outside() + "/file.txt", "outside"));
    EXPECT_EQ(symlink(Outside().c_str(), (Base() + "/link").c_str()), 0);
    EXPECT_EQ(symlink(Outside().c_str(), (Base() + "/a/b/link").c_str()), 0);
    m_base = open(Base().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  ~PathBeneathTest() override { close(m_base); }

  std::string Base() const { return m_tmp.File("base"); }
  std::string Outside() const { return m_tmp.File("outside"); }

  ScopedTmpdir m_tmp;
  int m_base = -1;
};

TEST_F(PathBeneathTest, FoldersAreReachedOnlyThroughRealFolders) {
  const struct {
    const char* relative;
    bool opens;
  } cases[] = {
      {"", true},      {"a", true},         {"a/b", true},           {"a/b/", true},
      {"link", false}, {"a/b/link", false}, {"a/../a", false},       {"./a", false},
      {"a//b", false}, {"/a", false},       {"a/b/file.txt", false}, {"missing", false},
  };
  for (const auto& c : cases) {
    const int fd = OpenFolderBeneath(m_base, c.relative);
    EXPECT_EQ(fd >= 0, c.opens) << c.relative;
    if (fd >= 0)
      close(fd);
  }
}

TEST_F(PathBeneathTest, RemovingNeverReachesThroughALink) {
  EXPECT_FALSE(RemoveBeneath(m_base, "link/file.txt", false));
  EXPECT_FALSE(ChangeModeBeneath(m_base, "link", 0700));
  EXPECT_TRUE(PathExists(Outside() + "/file.txt"));
  // The link itself is removed as a file is, and what it led to stays.
  EXPECT_TRUE(RemoveBeneath(m_base, "a/b/link", false));
  EXPECT_TRUE(PathExists(Outside() + "/file.txt"));
  EXPECT_FALSE(RemoveBeneath(m_base, "a/b", true));  // not empty
  EXPECT_TRUE(ChangeModeBeneath(m_base, "a/b", 0500));
  struct stat st {};
  ASSERT_EQ(stat((Base() + "/a/b").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0500u);
  EXPECT_TRUE(ChangeModeBeneath(m_base, "a/b/", 0700));
  EXPECT_TRUE(RemoveBeneath(m_base, "a/b/file.txt", false));
  EXPECT_TRUE(RemoveBeneath(m_base, "a/b", true));
  EXPECT_FALSE(PathExists(Base() + "/a/b"));
  EXPECT_FALSE(RemoveBeneath(m_base, "a/..", true));
}

}  // namespace
}  // namespace quire
