#include "platform/file_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/env_wrapper.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::ScopedTmpdir;

// A device that takes `m_limit` bytes per call, and answers the calls numbered
// `m_zeroAt`/`m_interruptAt` (counting from 0) with 0 or EINTR instead.
class ScriptedDevice : public EnvWrapper {
 public:
  ScriptedDevice(size_t limit, int zeroAt, int interruptAt)
      : EnvWrapper(Env::Default()), m_limit(limit), m_zeroAt(zeroAt), m_interruptAt(interruptAt) {}

  ssize_t Write(int, const void* data, size_t size) noexcept override {
    const int call = m_calls++;
    if (call > 100)
      return -1;  // keeps a regression from spinning for ever
    if (call == m_zeroAt)
      return 0;
    if (call == m_interruptAt) {
      errno = EINTR;
      return -1;
    }
    const size_t n = size < m_limit ? size : m_limit;
    m_taken.append(static_cast<const char*>(data), n);
    return static_cast<ssize_t>(n);
  }

  std::string m_taken;
  int m_calls = 0;

 private:
  size_t m_limit;
  int m_zeroAt;
  int m_interruptAt;
};

TEST(WriteAllBytesTest, RetriesShortAndInterruptedWritesAndStopsWhenNothingIsTaken) {
  const struct {
    const char* what;
    size_t limit;
    int zeroAt;
    int interruptAt;
    bool ok;
    const char* taken;
    int calls;
  } cases[] = {
      {"one call", 100, -1, -1, true, "abcdefghij", 1},
      {"three bytes a call", 3, -1, -1, true, "abcdefghij", 4},
      {"interrupted once", 4, -1, 1, true, "abcdefghij", 4},
      {"a write that takes nothing", 4, 1, -1, false, "abcd", 2},
      {"nothing taken at once", 4, 0, -1, false, "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedDevice device(c.limit, c.zeroAt, c.interruptAt);
    EXPECT_EQ(WriteAllBytes(7, "abcdefghij", &device), c.ok);
    EXPECT_EQ(device.m_taken, c.taken);
    EXPECT_EQ(device.m_calls, c.calls);
  }
}

TEST(WriteAllBytesTest, WritesARealFileAndFailsOnAClosedOne) {
  ScopedTmpdir tmp;
  const std::string path = tmp.File("out.bin");
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  const std::string data(100000, 'q');
  EXPECT_TRUE(WriteAllBytes(fd, data));
  EXPECT_TRUE(WriteAllBytes(fd, ""));
  close(fd);
  EXPECT_EQ(ReadWholeFile(path), data);
  EXPECT_FALSE(WriteAllBytes(fd, "x"));
}

TEST(ReadAllBytesTest, ReadsExactlyOrFails) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  ASSERT_EQ(write(pipeFds[1], "12345", 5), 5);
  close(pipeFds[1]);
  char buffer[4] = {};
  EXPECT_TRUE(ReadAllBytes(pipeFds[0], buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "1234");
  EXPECT_FALSE(ReadAllBytes(pipeFds[0], buffer, 2));  // only one byte is left
  close(pipeFds[0]);
}

}  // namespace
}  // namespace quire
