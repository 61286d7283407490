#include "platform/launcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/program_search.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedEnv;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

class LauncherTest : public ::testing::Test {
 protected:
  ~LauncherTest() override { OverrideOpener({}); }
  ScopedTmpdir m_tmp;
};

// The reason for a missing path comes from the failure itself, never from an errno that
// an earlier or a later call left behind.
TEST_F(LauncherTest, AStaleErrnoNeverDecidesWhyAPathIsMissing) {
  ASSERT_TRUE(WriteWholeFile(m_tmp.File("file"), "x"));
  const struct {
    const char* what;
    std::string target;
    int expected;
  } cases[] = {
      {"empty document", "", kStartFileNotFound},
      {"missing file in a folder that exists", m_tmp.File("missing.pdf"), kStartFileNotFound},
      {"missing folder", m_tmp.File("no-folder/missing.pdf"), kStartPathNotFound},
      {"a file used as a folder", m_tmp.File("file/missing.pdf"), kStartPathNotFound},
  };
  OverrideOpener({"sh", "-c", "exit 0", "opener"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (int stale : {0, ENOTDIR, ENOENT, EACCES}) {
      SCOPED_TRACE(stale);
      errno = stale;
      const OpenerStart start = StartOpener(c.target);
      EXPECT_FALSE(start.Running());
      EXPECT_EQ(start.shellResult, c.expected);
      errno = stale;
      std::string resolved;
      int failure = -1;
      if (!c.target.empty()) {
        EXPECT_FALSE(ResolveProgram(c.target, &resolved, &failure));
        EXPECT_EQ(failure, c.expected);
      }
    }
  }
}

TEST_F(LauncherTest, StartOpenerReturnsTheRunningOpenerForTheCallerToWaitFor) {
  const struct {
    int exitCode;
    int result;
  } cases[] = {
      {0, kOpened},
      {1, kStartFailed},
      {2, kStartFileNotFound},
      {3, kStartNoAssociation},
      {4, kStartNoAssociation},
      {9, kStartFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exitCode);
    OverrideOpener({"sh", "-c", "exit " + std::to_string(c.exitCode), "opener"});
    const OpenerStart start = StartOpener("nohandler:thing");
    ASSERT_TRUE(start.Running());
    int status = 0;
    ASSERT_EQ(waitpid(start.pid, &status, 0), start.pid);
    EXPECT_EQ(OpenerResult(start, status), c.result);
  }
}

TEST_F(LauncherTest, StartProgramSaysWhyNothingStarted) {
  const std::string plain = m_tmp.File("plain.txt");
  ASSERT_TRUE(WriteWholeFile(plain, "just text"));
  const std::string tool = m_tmp.File("tool");
  ASSERT_TRUE(WriteWholeFile(tool, "#!/bin/sh\nexit 0\n"));
  ASSERT_EQ(chmod(tool.c_str(), 0700), 0);
  const struct {
    std::string line;
    bool started;
    int result;
  } cases[] = {
      {tool + " arg", true, kStartFailed},
      {"", false, kStartFileNotFound},
      {"quire-no-such-program-4711", false, kStartFileNotFound},
      {m_tmp.File("no-folder/prog"), false, kStartPathNotFound},
      {plain, false, kStartAccessDenied},
      {"prog 'open quote", false, kStartFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const ProgramStart start = StartProgram(c.line);
    EXPECT_EQ(start.started, c.started);
    if (!c.started) {
      EXPECT_EQ(start.startResult, c.result);
    }
  }
}

}  // namespace
}  // namespace quire
