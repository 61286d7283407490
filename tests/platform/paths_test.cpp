#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// What the reader says on standard error while `body` runs.
std::string StderrOf(const std::function<void()>& body) {
  ::testing::internal::CaptureStderr();
  body();
  return ::testing::internal::GetCapturedStderr();
}

// The system's /tmp, for the time of a test: a folder of the test's own.
class ScopedSystemTemp {
 public:
  explicit ScopedSystemTemp(const std::string& path) { OverrideSystemTempFolder(path); }
  ~ScopedSystemTemp() { OverrideSystemTempFolder(""); }
  ScopedSystemTemp(const ScopedSystemTemp&) = delete;
  ScopedSystemTemp& operator=(const ScopedSystemTemp&) = delete;
};

constexpr uid_t kSomeoneElse = 65534;  // nobody

// Makes `path` a folder with `mode` (set after the umask), owned by `owner`.
void MakeFolder(const std::string& path, mode_t mode, uid_t owner = geteuid()) {
  ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path;
  ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
  if (owner != geteuid()) {
    ASSERT_EQ(chown(path.c_str(), owner, owner), 0) << path;
  }
}

bool IsOwnPrivateFolder(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 0777) == 0700;
}

// A quire-<uid> that is not the user's own private folder (someone made it first, it is a
// link, it is open to others) is never used; the book's files go to another private
// folder ($XDG_RUNTIME_DIR/quire, else a fresh one beside it), and the user is told once.
TEST(PrivateTempFolderTest, FolderThatIsNotTheUsersOwnIsReplacedByAnotherPrivateOne) {
  struct Case {
    const char* what;
    bool needsRoot;
    void (*make)(const std::string& folder, const std::string& elsewhere);
  };
  const Case cases[] = {
      {"a symbolic link to a private folder", false,
       [](const std::string& folder, const std::string& elsewhere) {
         ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
         ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
       }},
      {"a plain file", false,
       [](const std::string& folder, const std::string&) {
         ASSERT_TRUE(testing::WriteWholeFile(folder, "not a folder"));
       }},
      {"group-writable", false,
       [](const std::string& folder, const std::string&) { MakeFolder(folder, 0770); }},
      {"writable by others", false,
       [](const std::string& folder, const std::string&) { MakeFolder(folder, 0703); }},
      {"readable by others", false,
       [](const std::string& folder, const std::string&) { MakeFolder(folder, 0755); }},
      {"another user's, open to all", true,
       [](const std::string& folder, const std::string&) {
         MakeFolder(folder, 0777, kSomeoneElse);
       }},
      {"another user's, private to them", true,
       [](const std::string& folder, const std::string&) {
         MakeFolder(folder, 0700, kSomeoneElse);
       }},
  };
  std::vector<std::string> skipped;  // cases that need root, when not run as root
  for (const Case& c : cases) {
    for (const bool withRuntimeDir : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (withRuntimeDir ? ", runtime dir" : ", mkdtemp"));
      if (c.needsRoot && geteuid() != 0) {
        skipped.push_back(c.what);
        continue;
      }
      ScopedTmpdir tmp;
      const std::string runtime = tmp.File("run");
      ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
      ScopedEnv runtimeDir("XDG_RUNTIME_DIR",
                           withRuntimeDir ? std::optional<std::string>(runtime) : std::nullopt);
      std::string usual = UidFolder(tmp.Path());
      usual.pop_back();
      c.make(usual, tmp.File("elsewhere"));
      std::string folder;
      const std::string said = StderrOf([&] { folder = PrivateTempFolder(); });
      ASSERT_FALSE(folder.empty());
      EXPECT_NE(folder, usual + "/");
      if (withRuntimeDir) {
        EXPECT_EQ(folder, runtime + "/quire/");
      } else {
        EXPECT_EQ(folder.rfind(usual + "-", 0), 0u) << folder;
      }
      EXPECT_TRUE(IsOwnPrivateFolder(folder));
      EXPECT_NE(said.find(usual + " is not a private folder of this user"), std::string::npos)
          << said;
      EXPECT_NE(said.find(folder), std::string::npos) << said;
      // The same folder for the rest of the run, and nothing said again.
      EXPECT_EQ(StderrOf([&] { EXPECT_EQ(PrivateTempFolder(), folder); }), "");
      [[maybe_unused]] int given = chown(usual.c_str(), geteuid(), getegid());  // for clean-up
    }
  }
  if (!skipped.empty())
    GTEST_SKIP() << "giving a folder away needs root: " << ::testing::PrintToString(skipped);
}

// TMPDIR counts only when no other user can change or replace what it holds; otherwise
// the system's /tmp is used (here a folder that stands for it), and the user is told once.
TEST(PrivateTempFolderTest, TmpdirThatOthersCanChangeIsPassedOver) {
  struct Case {
    const char* what;
    bool needsRoot;
    bool used;
    // Makes the folder TMPDIR names at `path`; `scratch` is a folder of the test's.
    void (*make)(const std::string& path, const std::string& scratch);
  };
  const Case cases[] = {
      {"the user's own", false, true,
       [](const std::string& path, const std::string&) { MakeFolder(path, 0700); }},
      {"readable by all", false, true,
       [](const std::string& path, const std::string&) { MakeFolder(path, 0755); }},
      {"sticky and writable by all", false, true,
       [](const std::string& path, const std::string&) { MakeFolder(path, 01777); }},
      {"writable by all, not sticky", false, false,
       [](const std::string& path, const std::string&) { MakeFolder(path, 0777); }},
      {"writable by the group, not sticky", false, false,
       [](const std::string& path, const std::string&) { MakeFolder(path, 0770); }},
      {"inside a folder writable by all, not sticky", false, false,
       [](const std::string& path, const std::string& scratch) {
         MakeFolder(scratch + "/open", 0777);
         MakeFolder(scratch + "/open/inner", 0700);
         ASSERT_EQ(symlink((scratch + "/open/inner").c_str(), path.c_str()), 0);
       }},
      {"another user's", true, false,
       [](const std::string& path, const std::string&) { MakeFolder(path, 0755, kSomeoneElse); }},
      {"a link of another user's to a good folder", true, false,
       [](const std::string& path, const std::string& scratch) {
         MakeFolder(scratch + "/good", 0700);
         ASSERT_EQ(symlink((scratch + "/good").c_str(), path.c_str()), 0);
         ASSERT_EQ(lchown(path.c_str(), kSomeoneElse, kSomeoneElse), 0);
       }},
      {"not there", false, false, [](const std::string&, const std::string&) {}},
  };
  std::vector<std::string> skipped;  // cases that need root, when not run as root
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needsRoot && geteuid() != 0) {
      skipped.push_back(c.what);
      continue;
    }
    ScopedTmpdir tmp;
    const std::string system = tmp.File("system-tmp");
    MakeFolder(system, 01777);
    ScopedSystemTemp systemTemp(system);
    const std::string asked = tmp.File("asked");
    c.make(asked, tmp.Path());
    ScopedEnv env("TMPDIR", asked);
    std::string folder;
    const std::string said = StderrOf([&] { folder = PrivateTempFolder(); });
    if (c.used) {
      EXPECT_EQ(folder, UidFolder(asked));
      EXPECT_EQ(said, "");
      EXPECT_EQ(ChooseTempBase().refused, "");
    } else {
      EXPECT_EQ(folder, UidFolder(system));
      EXPECT_EQ(ChooseTempBase().refused, asked);
      EXPECT_NE(said.find("quire: the temporary folder " + asked), std::string::npos) << said;
      EXPECT_NE(said.find("the book's files go to " + UidFolder(system)), std::string::npos)
          << said;
    }
    EXPECT_TRUE(IsOwnPrivateFolder(folder));
  }
  if (!skipped.empty())
    GTEST_SKIP() << "giving a folder away needs root: " << ::testing::PrintToString(skipped);
}

// Neither TMPDIR nor /tmp qualifies: $XDG_RUNTIME_DIR does; when it does not either, there
// is no private folder at all.
TEST(PrivateTempFolderTest, RuntimeFolderIsTheLastChoice) {
  ScopedTmpdir tmp;
  const std::string open = tmp.File("open");
  MakeFolder(open, 0777);
  ScopedEnv env("TMPDIR", open);
  ScopedSystemTemp systemTemp(open);
  const std::string runtime = tmp.File("runtime");
  MakeFolder(runtime, 0700);
  {
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime);
    std::string folder;
    StderrOf([&] { folder = PrivateTempFolder(); });
    EXPECT_EQ(folder, UidFolder(runtime));
  }
  {
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", open);
    std::string folder = "unset";
    StderrOf([&] { folder = PrivateTempFolder(); });
    EXPECT_EQ(folder, "");
    EXPECT_EQ(ChooseTempBase().folder, "");
  }
}

// The attack itself: with a TMPDIR where anyone may rename entries, another user moves the
// reader's private folder away and puts one of their own in its place. The reader's
// folder must be one that user cannot move.
TEST(PrivateTempFolderTest, AnotherUserCannotMoveThePrivateFolderAway) {
  if (geteuid() != 0)
    GTEST_SKIP() << "acting as another user needs root";
  ScopedTmpdir tmp;
  ASSERT_EQ(chmod(tmp.Path().c_str(), 0755), 0);  // the other user may come this far
  const std::string system = tmp.File("system-tmp");
  MakeFolder(system, 01777);
  ScopedSystemTemp systemTemp(system);
  const std::string open = tmp.File("open");
  MakeFolder(open, 0777);
  ScopedEnv env("TMPDIR", open);
  std::string folder;
  StderrOf([&] { folder = PrivateTempFolder(); });
  ASSERT_FALSE(folder.empty());
  folder.pop_back();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(kSomeoneElse) != 0 || setuid(kSomeoneElse) != 0)
      _exit(2);
    _exit(rename(folder.c_str(), (folder + "-moved").c_str()) == 0 ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user moved " << folder << " away";
  EXPECT_TRUE(IsOwnPrivateFolder(folder));
}

TEST(PrivateTempFolderTest, MissingTmpdirFallsBackToTheSystemFolder) {
  ScopedTmpdir tmp;
  const std::string system = tmp.File("system-tmp");
  MakeFolder(system, 01777);
  ScopedSystemTemp systemTemp(system);
  ScopedEnv env("TMPDIR", tmp.File("does-not-exist"));
  std::string folder;
  const std::string said = StderrOf([&] { folder = PrivateTempFolder(); });
  EXPECT_EQ(folder, UidFolder(system));
  EXPECT_NE(said.find(tmp.File("does-not-exist") + " is not there"), std::string::npos) << said;
}

TEST(OwnExecutablePathTest, IsTheRunningProgram) {
  char buffer[4096] = {};
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  ASSERT_GT(n, 0);
  EXPECT_EQ(OwnExecutablePath(), std::string(buffer, static_cast<size_t>(n)));
  EXPECT_EQ(OwnExecutablePath(), OwnExecutablePath());
}

TEST(OwnProgramFileTest, IsTheRunningProgramsOwnLink) {
  // Opening the link, not the name it points to, keeps working when the file is moved.
  EXPECT_STREQ(kOwnProgramFile, "/proc/self/exe");
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
