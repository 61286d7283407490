#include "platform/private_state_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::PathExists;
using testing::ReadWholeFile;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr size_t kMax = 1024;

// Replaces the file's text with `text`.
bool Put(const std::string& folder, const std::string& text) {
  return UpdatePrivateStateFile(folder, "state", kMax,
                                [&](const std::optional<std::string>&) { return text; });
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
        names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// A uid that is not ours, for files and folders another user owns; 0 when this process
// may not give files away (then the case is skipped).
uid_t OtherUser(const std::string& probe) {
  const uid_t other = geteuid() == 0 ? 4242 : 0;
  return chown(probe.c_str(), other, static_cast<gid_t>(-1)) == 0 ? other : 0;
}

TEST(PrivateStateFileTest, AWriteMakesTheFoldersAndAnOwnerOnlyFile) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("state/home/quire");
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax));
  ASSERT_TRUE(Put(folder + "/", "first"));
  EXPECT_EQ(ReadPrivateStateFile(folder, "state", kMax), "first");
  EXPECT_EQ(ModeOf(folder) & 0777, 0700u);
  EXPECT_EQ(ModeOf(tmp.File("state/home")) & 0777, 0700u);
  EXPECT_EQ(ModeOf(folder + "/state") & 0777, 0600u);

  // The update sees what is there and replaces it whole.
  std::optional<std::string> seen;
  ASSERT_TRUE(UpdatePrivateStateFile(folder, "state", kMax, [&](const auto& current) {
    seen = current;
    return std::string("second");
  }));
  EXPECT_EQ(seen, "first");
  EXPECT_EQ(ReadWholeFile(folder + "/state"), "second");
  EXPECT_EQ(Entries(folder), std::vector<std::string>{"state"}) << "nothing left beside it";
}

TEST(PrivateStateFileTest, APlantedLinkIsNeitherReadNorFollowed) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("quire");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string victim = tmp.File("victim");
  ASSERT_TRUE(WriteWholeFile(victim, "precious"));
  ASSERT_EQ(symlink(victim.c_str(), (folder + "/state").c_str()), 0);

  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax));
  std::optional<std::string> seen = "unset";
  ASSERT_TRUE(UpdatePrivateStateFile(folder, "state", kMax, [&](const auto& current) {
    seen = current;
    return std::string("mine");
  }));
  EXPECT_FALSE(seen) << "the link's target was read";
  EXPECT_EQ(ReadWholeFile(victim), "precious");
  EXPECT_TRUE(S_ISREG(ModeOf(folder + "/state")));
  EXPECT_EQ(ReadWholeFile(folder + "/state"), "mine");
}

TEST(PrivateStateFileTest, AFolderThatIsALinkOrOpenToOthersIsRefused) {
  ScopedTmpdir tmp;
  const std::string elsewhere = tmp.File("elsewhere");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(elsewhere + "/state", "theirs"));
  const std::string linked = tmp.File("linked");
  ASSERT_EQ(symlink(elsewhere.c_str(), linked.c_str()), 0);
  EXPECT_FALSE(ReadPrivateStateFile(linked, "state", kMax));
  EXPECT_FALSE(Put(linked, "mine"));
  EXPECT_FALSE(Put(linked + "/", "mine"));
  EXPECT_EQ(ReadWholeFile(elsewhere + "/state"), "theirs");

  const std::string open = tmp.File("open");
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  ASSERT_TRUE(WriteWholeFile(open + "/state", "planted"));
  EXPECT_FALSE(ReadPrivateStateFile(open, "state", kMax));
  EXPECT_FALSE(Put(open, "mine"));
  EXPECT_EQ(ReadWholeFile(open + "/state"), "planted");

  EXPECT_FALSE(Put("relative/quire", "mine"));
  EXPECT_FALSE(UpdatePrivateStateFile(tmp.File("quire"), "../x", kMax,
                                      [](const auto&) { return std::string("y"); }));
  EXPECT_FALSE(PathExists(tmp.File("x")));
}

TEST(PrivateStateFileTest, OnlyASmallRegularFileOfTheUsersIsRead) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("quire");
  ASSERT_TRUE(Put(folder, "ok"));
  const std::string file = folder + "/state";

  ASSERT_TRUE(WriteWholeFile(file, std::string(kMax, 'x')));
  EXPECT_EQ(ReadPrivateStateFile(folder, "state", kMax)->size(), kMax);
  ASSERT_TRUE(WriteWholeFile(file, std::string(kMax + 1, 'x')));
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax)) << "a huge file";

  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax)) << "a pipe (and no wait for it)";
  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(mkdir(file.c_str(), 0700), 0);
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax)) << "a folder";
  ASSERT_EQ(rmdir(file.c_str()), 0);

  ASSERT_TRUE(WriteWholeFile(file, "theirs"));
  if (OtherUser(file) == 0)
    GTEST_SKIP() << "cannot give a file to another user here";
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax)) << "another user's file";
}

TEST(PrivateStateFileTest, AFolderOfAnotherUserIsRefused) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("quire");
  ASSERT_TRUE(Put(folder, "planted"));
  if (OtherUser(folder) == 0)
    GTEST_SKIP() << "cannot give a folder to another user here";
  EXPECT_FALSE(ReadPrivateStateFile(folder, "state", kMax));
  EXPECT_FALSE(Put(folder, "mine"));
}

TEST(PrivateStateFileTest, UpdatesAtTheSameTimeLoseNothing) {
  ScopedTmpdir tmp;
  const std::string folder = tmp.File("quire");
  ASSERT_TRUE(Put(folder, ""));
  constexpr int kWriters = 4;
  constexpr int kEach = 25;
  for (int w = 0; w < kWriters; ++w) {
    if (fork() == 0) {
      for (int i = 0; i < kEach; ++i) {
        UpdatePrivateStateFile(
            folder, "state", 64 * 1024,
            [](const std::optional<std::string>& current) { return current.value_or("") + "x"; });
      }
      _exit(0);
    }
  }
  for (int w = 0; w < kWriters; ++w) {
    int status = 0;
    wait(&status);
  }
  EXPECT_EQ(ReadPrivateStateFile(folder, "state", 64 * 1024), std::string(kWriters * kEach, 'x'));
}

}  // namespace
}  // namespace quire
