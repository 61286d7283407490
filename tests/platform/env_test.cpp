#include "platform/env.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "support/failing_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::EnvCall;
using testing::FailingEnv;
using testing::ReadWholeFile;
using testing::ScopedTmpdir;

// The system Env does what the calls it is named after do, and fails as they fail.
TEST(EnvTest, TheSystemMakesWritesRenamesAndRemovesRealFiles) {
  ScopedTmpdir tmp;
  Env* env = Env::Default();
  ASSERT_EQ(env, Env::Default());
  std::string name = tmp.File("made-XXXXXX");
  const int fd = env->MakeTemporary(name, O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_NE(name, tmp.File("made-XXXXXX"));
  EXPECT_EQ(env->Write(fd, "abc", 3), 3);
  EXPECT_EQ(env->Fchmod(fd, 0640), 0);
  EXPECT_EQ(env->Fsync(fd), 0);
  EXPECT_EQ(env->Close(fd), 0);
  EXPECT_EQ(env->Rename(name, tmp.File("kept")), 0);
  EXPECT_EQ(ReadWholeFile(tmp.File("kept")), "abc");
  EXPECT_EQ(env->Access(tmp.File("kept"), R_OK), 0);
  EXPECT_EQ(env->Mkdir(tmp.File("folder"), 0700), 0);
  EXPECT_EQ(env->Unlink(tmp.File("kept")), 0);
  const int opened = env->Open(tmp.File("folder/new"), O_WRONLY | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(opened, 0);
  EXPECT_EQ(env->Close(opened), 0);
}

TEST(EnvTest, TheSystemsFailuresKeepTheirErrno) {
  ScopedTmpdir tmp;
  Env* env = Env::Default();
  const std::string missing = tmp.File("missing");
  std::string pattern = tmp.File("no-folder/XXXXXX");
  const struct {
    const char* what;
    std::function<int()> call;
    int error;
  } cases[] = {
      {"open a missing file", [&] { return env->Open(missing, O_RDONLY, 0); }, ENOENT},
      {"make a file in no folder", [&] { return env->MakeTemporary(pattern, O_CLOEXEC); }, ENOENT},
      {"access a missing file", [&] { return env->Access(missing, F_OK); }, ENOENT},
      {"write to no descriptor", [&] { return static_cast<int>(env->Write(-1, "x", 1)); }, EBADF},
      {"fsync no descriptor", [&] { return env->Fsync(-1); }, EBADF},
      {"fchmod no descriptor", [&] { return env->Fchmod(-1, 0600); }, EBADF},
      {"close no descriptor", [&] { return env->Close(-1); }, EBADF},
      {"rename a missing file", [&] { return env->Rename(missing, tmp.File("x")); }, ENOENT},
      {"unlink a missing file", [&] { return env->Unlink(missing); }, ENOENT},
      {"mkdir where there is one", [&] { return env->Mkdir(tmp.Path(), 0700); }, EEXIST},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    errno = 0;
    EXPECT_EQ(c.call(), -1);
    EXPECT_EQ(errno, c.error);
  }
}

// The stand-in fails only what it was told, with the errno it was given, and passes the
// rest on to the system.
TEST(FailingEnvTest, FailsOnlyTheChosenCallsOnTheChosenPaths) {
  ScopedTmpdir tmp;
  ASSERT_EQ(mkdir(tmp.File("refused").c_str(), 0700), 0);
  FailingEnv env;
  env.Fail(EnvCall::kOpen, EACCES, tmp.File("refused/"));
  env.Fail(EnvCall::kRename, EXDEV, tmp.File("far"));
  errno = 0;
  EXPECT_EQ(env.Open(tmp.File("refused/file"), O_WRONLY | O_CREAT, 0600), -1);
  EXPECT_EQ(errno, EACCES);
  const int fd = env.Open(tmp.File("file"), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(env.Close(fd), 0);
  EXPECT_EQ(env.Rename(tmp.File("file"), tmp.File("far")), -1);
  EXPECT_EQ(errno, EXDEV);
  EXPECT_EQ(env.Rename(tmp.File("file"), tmp.File("near")), 0);
  EXPECT_EQ(env.Failures(EnvCall::kOpen), 1);
  EXPECT_EQ(env.Failures(EnvCall::kRename), 1);
  EXPECT_FALSE(testing::PathExists(tmp.File("refused/file")));
}

TEST(FailingEnvTest, AFileSizeLimitTakesWhatFitsThenFailsWithEfbig) {
  ScopedTmpdir tmp;
  FailingEnv env;
  env.LimitFileSize(5);
  const int fd = env.Open(tmp.File("small"), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(env.Write(fd, "abc", 3), 3);
  EXPECT_EQ(env.Write(fd, "defg", 4), 2);
  errno = 0;
  EXPECT_EQ(env.Write(fd, "g", 1), -1);
  EXPECT_EQ(errno, EFBIG);
  EXPECT_EQ(env.Close(fd), 0);
  EXPECT_EQ(ReadWholeFile(tmp.File("small")), "abcde");
}

}  // namespace
}  // namespace quire
