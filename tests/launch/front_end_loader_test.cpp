#include "launch/front_end_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "pages/reader_context.h"
#include "session/browser_notice.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::ScopedTmpdir;

std::string Library(const char* path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  EXPECT_TRUE(bytes.has_value()) << path;
  return bytes.value_or("");
}

bool EmptyFolder(const std::string& path) {
  return std::filesystem::is_empty(path);
}

TEST(LoadFrontEndTest, LoadsFromMemoryAndCallsTheEntryPoint) {
  ScopedTmpdir tmp;
  const std::string privateFolder = tmp.PrivateFolder();
  const LoadedFrontEnd front = LoadFrontEnd(Library(QUIRE_TEST_FRONT_WORKING));
  ASSERT_NE(front.main, nullptr) << front.error;
  EXPECT_EQ(front.error, "");
  EXPECT_EQ(front.loadPath.rfind("/proc/" + std::to_string(getpid()) + "/fd/", 0), 0u)
      << front.loadPath;
  char name[] = "book";
  char* argv[] = {name, name, nullptr};
  ReaderContext context;
  EXPECT_EQ(front.main(context, 2, argv), 42);
  EXPECT_TRUE(EmptyFolder(privateFolder)) << "nothing is written to load it";
}

TEST(LoadFrontEndTest, FailuresComeBackAsTextsThatNameTheirCause) {
  struct Case {
    const char* what;
    std::string image;
    const char* errorHolds;
    const char* missingLibrary;
  } cases[] = {
      {"a library it needs is missing", Library(QUIRE_TEST_FRONT_NEEDSABSENT),
       "libquire_absent.so.1", "libquire_absent.so.1"},
      {"no entry point", Library(QUIRE_TEST_FRONT_NOENTRY), "QuireFrontMain", ""},
      {"not a shared object", std::string(4096, 'x'), "", ""},
      {"nothing at all", "", "", ""},
      {"cut short", Library(QUIRE_TEST_FRONT_WORKING).substr(0, 200), "", ""},
  };
  for (const Case& c : cases) {
    ScopedTmpdir tmp;
    const std::string privateFolder = tmp.PrivateFolder();
    const LoadedFrontEnd front = LoadFrontEnd(c.image);
    EXPECT_EQ(front.main, nullptr) << c.what;
    EXPECT_NE(front.error, "") << c.what;
    EXPECT_NE(front.error.find(c.errorHolds), std::string::npos) << c.what << ": " << front.error;
    EXPECT_EQ(MissingLibraryName(front.error, front.loadPath), c.missingLibrary)
        << c.what << ": " << front.error;
    EXPECT_TRUE(EmptyFolder(privateFolder)) << c.what;
  }
}

// Where no memory file can be made the front end goes through a file in the private
// temporary folder, which is removed once loaded.
TEST(LoadFrontEndTest, WithoutMemoryFilesLoadsFromAPrivateFileAndRemovesIt) {
  ScopedTmpdir tmp;
  const std::string privateFolder = tmp.PrivateFolder();
  const LoadedFrontEnd front = LoadFrontEnd(Library(QUIRE_TEST_FRONT_WORKING), false);
  ASSERT_NE(front.main, nullptr) << front.error;
  EXPECT_EQ(front.loadPath.rfind(privateFolder + "front", 0), 0u) << front.loadPath;
  EXPECT_FALSE(testing::PathExists(front.loadPath));
  EXPECT_TRUE(EmptyFolder(privateFolder));
}

// Another user who prepared the temporary folder (a link to a folder of theirs, or a
// folder others may write to) must not get to swap the code the reader runs: nothing is
// loaded from there and nothing is written there; the front end goes through another
// private folder instead.
TEST(LoadFrontEndTest, NeverUsesATemporaryFolderOthersCouldWriteTo) {
  struct Case {
    const char* what;
    bool link;
    mode_t mode;
  } cases[] = {
      {"a link to another folder", true, 0700},
      {"a folder everybody may write to", false, 0777},
      {"a folder the group may write to", false, 0770},
  };
  testing::ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);  // the fresh folder beside
  for (const Case& c : cases) {
    ScopedTmpdir tmp;
    const std::string planted = tmp.File("planted");
    ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
    const std::string privateFolder = tmp.File("quire-" + std::to_string(getuid()));
    if (c.link) {
      ASSERT_EQ(symlink(planted.c_str(), privateFolder.c_str()), 0);
    } else {
      ASSERT_EQ(mkdir(privateFolder.c_str(), 0700), 0);
      ASSERT_EQ(chmod(privateFolder.c_str(), c.mode), 0);
    }
    ::testing::internal::CaptureStderr();  // the note on which folder is used instead
    const LoadedFrontEnd front = LoadFrontEnd(Library(QUIRE_TEST_FRONT_WORKING), false);
    ::testing::internal::GetCapturedStderr();
    EXPECT_NE(front.main, nullptr) << c.what << ": " << front.error;
    EXPECT_EQ(front.loadPath.rfind(privateFolder + "-", 0), 0u) << c.what << ": " << front.loadPath;
    EXPECT_TRUE(EmptyFolder(planted)) << c.what;
    if (!c.link) {
      EXPECT_TRUE(EmptyFolder(privateFolder)) << c.what;
    }
  }
}

}  // namespace
}  // namespace quire
