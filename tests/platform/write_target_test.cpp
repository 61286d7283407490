#include "platform/write_target.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr uid_t kOtherUser = 65534;

// Links in folders shaped like /tmp: made by the test, some handed to another user.
class WriteTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0)
      GTEST_SKIP() << "handing a link to another user needs root";
    for (const char* folder : {"shared", "open", "closed", "theirs", "real"})
      ASSERT_EQ(mkdir(m_tmp.File(folder).c_str(), 0700), 0);
    ASSERT_EQ(chmod(m_tmp.File("shared").c_str(), 01777), 0);  // as /tmp
    ASSERT_EQ(chmod(m_tmp.File("open").c_str(), 0777), 0);     // not sticky
    ASSERT_EQ(chmod(m_tmp.File("closed").c_str(), 01755), 0);  // sticky, only ours to write
    ASSERT_EQ(chmod(m_tmp.File("theirs").c_str(), 01777), 0);  // shared, another user's
    ASSERT_EQ(chown(m_tmp.File("theirs").c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_TRUE(WriteWholeFile(m_tmp.File("real/file.txt"), "precious"));
  }

  // A link at `name` to `target`, belonging to `owner`.
  void Link(const std::string& name, const std::string& target, uid_t owner) {
    ASSERT_EQ(symlink(target.c_str(), m_tmp.File(name).c_str()), 0) << name;
    ASSERT_EQ(lchown(m_tmp.File(name).c_str(), owner, owner), 0) << name;
  }

  ScopedTmpdir m_tmp;
};

TEST_F(WriteTargetTest, LinksAnotherUserPlantedInASharedStickyFolderAreNotFollowed) {
  const std::string file = m_tmp.File("real/file.txt");
  Link("shared/mine", file, 0);
  Link("shared/planted", file, kOtherUser);
  Link("shared/planted-folder", m_tmp.File("real"), kOtherUser);
  Link("shared/to-planted", m_tmp.File("shared/planted"), 0);
  Link("shared/dangling", m_tmp.File("real/missing.txt"), kOtherUser);
  Link("shared/relative", "../real/file.txt", 0);
  Link("open/planted", file, kOtherUser);
  Link("closed/planted", file, kOtherUser);
  Link("theirs/owners", file, kOtherUser);
  Link("real/to-shared", m_tmp.File("shared"), 0);
  struct Case {
    std::string path;
    bool allowed;
    std::string writes;  // the path to write when allowed
    bool linkFree;
  };
  const std::string given = "<as given>";
  const Case cases[] = {
      {"real/file.txt", true, given, true},
      {"real/new.txt", true, given, false},
      {"shared/mine", true, file, true},
      {"shared/relative", true, file, true},
      {"shared/planted", false, "", false},
      {"shared/dangling", false, "", false},
      {"shared/planted-folder/file.txt", false, "", false},
      {"shared/planted-folder/new.txt", false, "", false},
      {"shared/to-planted", false, "", false},
      {"real/to-shared/planted", false, "", false},
      {"real/to-shared/mine", true, file, true},
      {"real/../shared/planted", false, "", false},
      // Only a folder that is both sticky and everybody's to write is shared.
      {"open/planted", true, file, true},
      {"closed/planted", true, file, true},
      // The folder's owner may link in their own folder.
      {"theirs/owners", true, file, true},
  };
  for (const Case& c : cases) {
    const std::string path = m_tmp.File(c.path);
    const WriteTarget target = FindWriteTarget(path, 0);
    EXPECT_EQ(target.allowed, c.allowed) << c.path;
    if (!c.allowed || !target.allowed)
      continue;
    EXPECT_EQ(target.path, c.writes == given ? path : c.writes) << c.path;
    EXPECT_EQ(target.linkFree, c.linkFree) << c.path;
  }
}

TEST_F(WriteTargetTest, TheLinksOwnerMayFollowItWhereOthersMayNot) {
  Link("shared/planted", m_tmp.File("real/file.txt"), kOtherUser);
  EXPECT_TRUE(FindWriteTarget(m_tmp.File("shared/planted"), kOtherUser).allowed);
  EXPECT_FALSE(FindWriteTarget(m_tmp.File("shared/planted"), 1000).allowed);
}

TEST_F(WriteTargetTest, RelativePathsAndLoopsAreWalkedAsTheKernelWalksThem) {
  Link("shared/planted", m_tmp.File("real/file.txt"), kOtherUser);
  Link("real/loop", m_tmp.File("real/loop"), 0);
  const std::string previous = std::filesystem::current_path();
  ASSERT_EQ(chdir(m_tmp.File("real").c_str()), 0);
  const WriteTarget relative = FindWriteTarget("file.txt", 0);
  const WriteTarget planted = FindWriteTarget("../shared/planted", 0);
  const WriteTarget loop = FindWriteTarget("loop", 0);
  ASSERT_EQ(chdir(previous.c_str()), 0);
  EXPECT_TRUE(relative.allowed);
  EXPECT_EQ(relative.path, "file.txt");
  EXPECT_FALSE(planted.allowed);
  EXPECT_FALSE(loop.allowed);
}

TEST(MayFollowLinkTest, FollowsTheKernelsRuleForSharedFolders) {
  struct Case {
    mode_t folderMode;
    uid_t folderOwner;
    uid_t linkOwner;
    uid_t follower;
    bool follows;
  } const cases[] = {
      {01777, 0, 1000, 1000, true},                                   // the follower's own link
      {01777, 0, 0, 1000, true},                                      // the folder owner's link
      {01777, 0, 1001, 1000, false},                                  // a stranger's link in /tmp
      {01777, 1001, 1001, 1000, true}, {00777, 0, 1001, 1000, true},  // not sticky
      {01775, 0, 1001, 1000, true},                                   // not writable by everybody
      {01757, 0, 1001, 1000, false},
  };
  for (const Case& c : cases) {
    struct stat folder {};
    struct stat link {};
    folder.st_mode = S_IFDIR | c.folderMode;
    folder.st_uid = c.folderOwner;
    link.st_mode = S_IFLNK | 0777;
    link.st_uid = c.linkOwner;
    EXPECT_EQ(MayFollowLink(link, folder, c.follower), c.follows)
        << std::oct << c.folderMode << std::dec << " " << c.folderOwner << " " << c.linkOwner;
  }
}

}  // namespace
}  // namespace quire
