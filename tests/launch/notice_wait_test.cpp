#include "launch/notice_wait.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace quire {
namespace {

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() { EXPECT_EQ(pipe(fds), 0); }
  ~Pipe() {
    close(fds[0]);
    close(fds[1]);
  }
  void Put(char byte) { EXPECT_EQ(write(fds[1], &byte, 1), 1); }
  char Take() {
    char byte = 0;
    EXPECT_EQ(read(fds[0], &byte, 1), 1);
    return byte;
  }
};

// The wait goes on through sources that do not end it (another copy of the book asking
// for its pages) until one does (a signal asking the program to end).
TEST(WaitForWakeTest, EndsWhenASourceSaysSoAndNotBefore) {
  Pipe request, stop;
  std::string seen;
  request.Put('r');
  request.Put('r');
  stop.Put('s');
  const std::vector<WakeSource> sources = {
      {request.fds[0], [&] { return (seen += request.Take()), false; }},
      {stop.fds[0], [&] { return (seen += stop.Take()), true; }},
  };
  WaitForWake(sources, 3600);
  EXPECT_EQ(seen.back(), 's');
  EXPECT_EQ(seen.find('s'), seen.size() - 1);
}

TEST(WaitForWakeTest, NoTimeLeftReturnsWithoutReading) {
  Pipe stop;
  stop.Put('s');
  bool read = false;
  WaitForWake({{stop.fds[0], [&] { return read = true; }}}, 0);
  EXPECT_FALSE(read);
}

}  // namespace
}  // namespace quire
