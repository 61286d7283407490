#include "platform/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace quire::testing {
namespace {

// A name no other test run shares.
std::string UniqueName(const std::string& what) {
  return SingleInstanceName("quire-test-" + what + "-" + std::to_string(getpid()));
}

bool Readable(int fd) {
  pollfd wait{fd, POLLIN, 0};
  return poll(&wait, 1, 2000) == 1;
}

TEST(SingleInstanceTest, NameIsTheBookIdUpToItsFirstZeroByte) {
  EXPECT_EQ(SingleInstanceName("ESBN-1"), "k9webookESBN-1");
  EXPECT_EQ(SingleInstanceName(std::string("AB\0junk", 7)), "k9webookAB");
  EXPECT_EQ(SingleInstanceName(""), "k9webook");
}

TEST(SingleInstanceTest, SecondCopyHandsOverAndTheFirstIsAskedToComeForward) {
  std::string name = UniqueName("handover");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name), SingleInstanceGuard::Outcome::kFirst);
  ASSERT_GE(first.ListenFd(), 0);

  SingleInstanceGuard second;
  EXPECT_EQ(second.Acquire(name), SingleInstanceGuard::Outcome::kHandedOver);
  EXPECT_EQ(second.ListenFd(), -1);
  ASSERT_TRUE(Readable(first.ListenFd()));
  EXPECT_TRUE(first.TakeRequest());
  // Nothing else is waiting.
  EXPECT_FALSE(first.TakeRequest());
}

TEST(SingleInstanceTest, DifferentBooksRunSideBySide) {
  SingleInstanceGuard a;
  SingleInstanceGuard b;
  EXPECT_EQ(a.Acquire(UniqueName("a")), SingleInstanceGuard::Outcome::kFirst);
  EXPECT_EQ(b.Acquire(UniqueName("b")), SingleInstanceGuard::Outcome::kFirst);
}

TEST(SingleInstanceTest, ReleasedNameIsFreeForTheNextCopy) {
  std::string name = UniqueName("release");
  {
    SingleInstanceGuard first;
    ASSERT_EQ(first.Acquire(name), SingleInstanceGuard::Outcome::kFirst);
    first.Release();
    EXPECT_EQ(first.ListenFd(), -1);
    SingleInstanceGuard next;
    EXPECT_EQ(next.Acquire(name), SingleInstanceGuard::Outcome::kFirst);
  }
  // The destructor gives the name up as well.
  SingleInstanceGuard after;
  EXPECT_EQ(after.Acquire(name), SingleInstanceGuard::Outcome::kFirst);
}

TEST(SingleInstanceTest, ListeningSocketIsNotInheritedByStartedPrograms) {
  SingleInstanceGuard guard;
  ASSERT_EQ(guard.Acquire(UniqueName("cloexec")), SingleInstanceGuard::Outcome::kFirst);
  int flags = fcntl(guard.ListenFd(), F_GETFD);
  EXPECT_TRUE(flags & FD_CLOEXEC);
}

TEST(SingleInstanceTest, AConnectionThatSaysNothingIsNoRequest) {
  std::string name = UniqueName("silent");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name), SingleInstanceGuard::Outcome::kFirst);
  int peer = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  ASSERT_EQ(connect(peer, reinterpret_cast<sockaddr*>(&address),
                    static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())),
            0);
  ASSERT_EQ(write(peer, "nonsense", 8), 8);
  close(peer);
  ASSERT_TRUE(Readable(first.ListenFd()));
  EXPECT_FALSE(first.TakeRequest());
}

}  // namespace
}  // namespace quire::testing
