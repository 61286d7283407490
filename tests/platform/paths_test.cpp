#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedEnv;
using testing::ScopedTmpdir;

std::string UidFolder(const std::string& base) {
  return base + "/quire-" + std::to_string(geteuid()) + "/";
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

TEST(PrivateTempFolderTest, IsMadePrivateUnderTmpdirAndEndsWithSlash) {
  ScopedTmpdir tmp;
  std::string folder = PrivateTempFolder();
  EXPECT_EQ(folder, UidFolder(tmp.Path()));
  EXPECT_TRUE(S_ISDIR(ModeOf(folder)));
  EXPECT_EQ(ModeOf(folder) & 0777, 0700u);
}

TEST(PrivateTempFolderTest, FollowsTmpdirChangesOnEveryCall) {
  ScopedTmpdir first;
  EXPECT_EQ(PrivateTempFolder(), UidFolder(first.Path()));
  {
    ScopedTmpdir second;
    EXPECT_EQ(PrivateTempFolder(), UidFolder(second.Path()));
  }
  EXPECT_EQ(PrivateTempFolder(), UidFolder(first.Path()));
}

TEST(PrivateTempFolderTest, TrailingSlashOfTmpdirIsNotDoubled) {
  ScopedTmpdir tmp;
  ScopedEnv env("TMPDIR", tmp.Path() + "//");
  EXPECT_EQ(PrivateTempFolder(), UidFolder(tmp.Path()));
}

TEST(PrivateTempFolderTest, RelativeTmpdirCountsAsUnset) {
  ScopedEnv env("TMPDIR", "relative/folder");
  const std::string folder = PrivateTempFolder();
  // /tmp is the machine's; only the name is checked, and an unusable /tmp gives "".
  if (!folder.empty()) {
    EXPECT_EQ(folder, UidFolder("/tmp"));
  }
}

TEST(PrivateTempFolderTest, ExistingPrivateFolderIsReused) {
  ScopedTmpdir tmp;
  std::string folder = PrivateTempFolder();
  ASSERT_TRUE(testing::WriteWholeFile(folder + "kept", "x"));
  EXPECT_EQ(PrivateTempFolder(), folder);
  EXPECT_TRUE(testing::PathExists(folder + "kept"));
}

// Each way an existing folder can break the rules makes it unusable.
TEST(PrivateTempFolderTest, FolderThatBreaksTheRulesIsRefused) {
  struct Case {
    const char* what;
    void (*make)(const std::string& folder, const std::string& elsewhere);
  };
  const Case cases[] = {
      {"a symbolic link to a private folder",
       [](const std::string& folder, const std::string& elsewhere) {
         ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
         ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
       }},
      {"a plain file",
       [](const std::string& folder, const std::string&) {
         ASSERT_TRUE(testing::WriteWholeFile(folder, "not a folder"));
       }},
      {"group-writable",
       [](const std::string& folder, const std::string&) {
         ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
         ASSERT_EQ(chmod(folder.c_str(), 0770), 0);
       }},
      {"writable by others",
       [](const std::string& folder, const std::string&) {
         ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
         ASSERT_EQ(chmod(folder.c_str(), 0703), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTmpdir tmp;
    std::string folder = UidFolder(tmp.Path());
    folder.pop_back();
    c.make(folder, tmp.File("elsewhere"));
    EXPECT_EQ(PrivateTempFolder(), "");
  }
}

TEST(PrivateTempFolderTest, MissingTmpdirGivesEmptyPath) {
  ScopedTmpdir tmp;
  ScopedEnv env("TMPDIR", tmp.File("does-not-exist"));
  EXPECT_EQ(PrivateTempFolder(), "");
}

TEST(OwnExecutablePathTest, IsTheRunningProgramUnlessOverridden) {
  char buffer[4096] = {};
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  ASSERT_GT(n, 0);
  EXPECT_EQ(OwnExecutablePath(), std::string(buffer, static_cast<size_t>(n)));

  OverrideOwnExecutablePath("/some/book");
  EXPECT_EQ(OwnExecutablePath(), "/some/book");
  OverrideOwnExecutablePath("");
  EXPECT_EQ(OwnExecutablePath(), std::string(buffer, static_cast<size_t>(n)));
}

TEST(OwnBookFileTest, IsTheRunningProgramsOwnLinkUnlessOverridden) {
  // Opening the link, not the name it points to, keeps working when the file is moved.
  EXPECT_EQ(OwnBookFile(), "/proc/self/exe");
  OverrideOwnExecutablePath("/some/book");
  EXPECT_EQ(OwnBookFile(), "/some/book");
  OverrideOwnExecutablePath("");
  EXPECT_EQ(OwnBookFile(), "/proc/self/exe");
}

TEST(ConfigFolderTest, UsesXdgConfigHomeElseHomeConfig) {
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg/conf/");
    EXPECT_EQ(ConfigFolder(), "/xdg/conf/quire/");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/reader");
    EXPECT_EQ(ConfigFolder(), "/home/reader/.config/quire/");
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/ignored");
    ScopedEnv home("HOME", "/home/reader");
    EXPECT_EQ(ConfigFolder(), "/home/reader/.config/quire/");
  }
}

// The password database's home of the user running the tests, as HomeFolder falls back to.
std::string PasswordHome() {
  ScopedEnv home("HOME", std::nullopt);
  return HomeFolder();
}

TEST(HomeFolderTest, AnAbsoluteHomeElseThePasswordEntry) {
  const std::string fallback = PasswordHome();
  ASSERT_FALSE(fallback.empty());
  EXPECT_EQ(fallback.front(), '/');
  const struct {
    std::optional<std::string> home;
    std::string expected;
  } cases[] = {
      {"/home/reader", "/home/reader"},
      {"relative/home", fallback},
      {"", fallback},
      {std::nullopt, fallback},
  };
  for (const auto& c : cases) {
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(HomeFolder(), c.expected) << c.home.value_or("(unset)");
  }
}

TEST(XdgBaseFolderTest, AnAbsoluteValueElseTheHomesFolder) {
  const struct {
    std::optional<std::string> value;
    std::string expected;
  } cases[] = {
      {"/xdg/data", "/xdg/data"},
      {"relative/data", "/home/reader/.local/share"},
      {"", "/home/reader/.local/share"},
      {std::nullopt, "/home/reader/.local/share"},
  };
  ScopedEnv home("HOME", "/home/reader/");
  for (const auto& c : cases) {
    ScopedEnv data("XDG_DATA_HOME", c.value);
    EXPECT_EQ(XdgBaseFolder("XDG_DATA_HOME", "/.local/share"), c.expected)
        << c.value.value_or("(unset)");
  }
}

TEST(ToNativePathTest, TurnsEveryBackslashIntoSlash) {
  EXPECT_EQ(ToNativePath("pics\\a\\b.png"), "pics/a/b.png");
  EXPECT_EQ(ToNativePath("plain.html"), "plain.html");
  EXPECT_EQ(ToNativePath(""), "");
}

}  // namespace
}  // namespace quire
