#include "platform/owner_only_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr uid_t kUser = 1000;
constexpr uid_t kOtherUser = 65534;

// Books at the end of folders of every kind; the test's own folder, /tmp and / above them
// belong to root, as they do on a real system.
TEST(OnlyOwnerCanChangeTest, TheFileAndEveryFolderAboveItAreTheUsersOrRoots) {
  if (geteuid() != 0)
    GTEST_SKIP() << "giving files to other users needs root";
  ScopedTmpdir tmp;
  struct Entry {
    std::string path;  // a folder when it ends with '/'
    mode_t mode;
    uid_t owner;
  } const entries[] = {
      {"mine/", 0755, kUser},
      {"mine/book", 0755, kUser},
      {"mine/private", 0700, kUser},
      {"mine/roots", 0755, 0},
      {"mine/strangers", 0755, kOtherUser},
      {"mine/group-writable", 0775, kUser},
      {"mine/others-writable", 0757, kUser},
      {"mine/sub/", 0755, kUser},
      {"strangers/", 0755, kOtherUser},
      {"strangers/book", 0755, kUser},
      {"open/", 0777, kUser},
      {"open/book", 0755, kUser},
      {"open/deep/", 0755, kUser},
      {"open/deep/book", 0755, kUser},
      {"group/", 0775, kUser},
      {"group/book", 0755, kUser},
      {"shared/", 01777, 0},
      {"shared/book", 0755, kUser},
      {"shared/strangers", 0755, kOtherUser},
      {"shared/sub/", 0755, kUser},
      {"shared/sub/book", 0755, kUser},
      {"shared/theirs/", 0755, kOtherUser},
      {"shared/theirs/book", 0755, kUser},
      {"strangers-shared/", 01777, kOtherUser},
      {"strangers-shared/book", 0755, kUser},
  };
  for (const Entry& e : entries) {
    const std::string path = tmp.File(e.path);
    if (e.path.back() == '/') {
      ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << e.path;
    } else {
      ASSERT_TRUE(WriteWholeFile(path, "book")) << e.path;
    }
    ASSERT_EQ(chmod(path.c_str(), e.mode), 0) << e.path;
    ASSERT_EQ(chown(path.c_str(), e.owner, e.owner), 0) << e.path;
  }
  ASSERT_EQ(symlink(tmp.File("open/book").c_str(), tmp.File("mine/to-open").c_str()), 0);
  ASSERT_EQ(symlink(tmp.File("mine/book").c_str(), tmp.File("shared/to-mine").c_str()), 0);
  ASSERT_EQ(lchown(tmp.File("shared/to-mine").c_str(), kOtherUser, kOtherUser), 0);
  struct {
    std::string path;
    bool safe;
  } const cases[] = {
      {"mine/book", true},
      {"mine/private", true},
      {"mine/roots", true},
      {"shared/book", true},
      {"shared/sub/book", true},
      {"mine/strangers", false},
      {"mine/group-writable", false},
      {"mine/others-writable", false},
      {"strangers/book", false},
      {"open/book", false},
      {"open/deep/book", false},
      {"group/book", false},
      {"shared/strangers", false},
      {"shared/theirs/book", false},
      {"strangers-shared/book", false},
      // The file a link leads to is what counts.
      {"mine/to-open", false},
      {"shared/to-mine", true},
      {"mine/missing", false},
      {"mine/sub", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OnlyOwnerCanChange(c.path.empty() ? "" : tmp.File(c.path), kUser), c.safe) << c.path;
}

}  // namespace
}  // namespace quire
