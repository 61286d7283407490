#include "platform/file_replace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ScopedTmpdir;

// Files made by another thread while ModeUnderUmask runs get exactly the modes the umask
// gives: asking for the umask never sets it, not even for a moment.
TEST(ModeUnderUmaskTest, OtherThreadsNeverSeeAnotherUmask) {
  ScopedTmpdir tmp;
  const mode_t previous = umask(027);  // still one thread here
  std::atomic<bool> done{false};
  std::thread asker([&] {
    for (int i = 0; i < 200000; ++i)
      (void)ModeUnderUmask(0666);
    done = true;
  });
  const std::string path = tmp.File("probe");
  int made = 0;
  int wrongModes = 0;
  while (!done || made == 0) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    ASSERT_GE(fd, 0);
    struct stat info {};
    ASSERT_EQ(fstat(fd, &info), 0);
    wrongModes += (info.st_mode & 0777) != 0640 ? 1 : 0;
    close(fd);
    unlink(path.c_str());
    ++made;
  }
  asker.join();
  umask(previous);
  EXPECT_EQ(wrongModes, 0) << "of " << made << " files";
}

TEST(ModeUnderUmaskTest, AppliesTheUmaskTheProgramStartedWith) {
  const mode_t current = umask(0);
  umask(current);
  EXPECT_EQ(StartUmask(), current);
  for (mode_t mode : {0666u, 0777u, 0600u})
    EXPECT_EQ(ModeUnderUmask(mode), mode & ~current) << std::oct << mode;
}

}  // namespace
}  // namespace quire
