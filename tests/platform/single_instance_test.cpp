#include "platform/single_instance.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

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

// The abstract socket address of `name`, as the guard binds it, and its length.
socklen_t AbstractAddress(const std::string& name, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  std::memcpy(address->sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

// Another copy's side of the handshake: connects to `name` and writes `bytes` as they are.
void SendRaw(const std::string& name, std::string_view bytes) {
  int peer = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address;
  const socklen_t length = AbstractAddress(name, &address);
  ASSERT_EQ(connect(peer, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(write(peer, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(peer);
}

TEST(SingleInstanceTest, NameIsTheBookIdUpToItsFirstZeroByte) {
  EXPECT_EQ(SingleInstanceName("ESBN-1"), "k9webookESBN-1");
  EXPECT_EQ(SingleInstanceName(std::string("AB\0junk", 7)), "k9webookAB");
  EXPECT_EQ(SingleInstanceName(""), "k9webook");
}

// The first copy's main loop: answers every request while the test's second copies ask,
// and counts those that made it come forward.
class RunningCopy {
 public:
  explicit RunningCopy(SingleInstanceGuard* guard)
      : m_guard(guard), m_thread([this] { Serve(); }) {}
  ~RunningCopy() {
    m_stop = true;
    m_thread.join();
  }
  // Waits until `presented` and `refused` requests were taken (the answer goes out before
  // the count goes up); false when that does not happen within seconds.
  bool Took(int presented, int refused) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_presented < presented || m_refused < refused) {
      if (std::chrono::steady_clock::now() > deadline)
        return false;
      std::this_thread::yield();
    }
    return m_presented == presented && m_refused == refused;
  }

 private:
  void Serve() {
    while (!m_stop) {
      pollfd wait{m_guard->ListenFd(), POLLIN, 0};
      if (poll(&wait, 1, 20) == 1)
        ++(m_guard->TakeRequest() ? m_presented : m_refused);
    }
  }

  SingleInstanceGuard* m_guard;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_presented{0};
  std::atomic<int> m_refused{0};
  std::thread m_thread;
};

TEST(SingleInstanceTest, SecondCopyOfTheSameBookHandsOverAndTheFirstComesForward) {
  std::string name = UniqueName("handover");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name, "book-a"), SingleInstanceGuard::Outcome::kFirst);
  ASSERT_GE(first.ListenFd(), 0);
  {
    RunningCopy running(&first);
    SingleInstanceGuard second;
    EXPECT_EQ(second.Acquire(name, "book-a"), SingleInstanceGuard::Outcome::kHandedOver);
    EXPECT_EQ(second.ListenFd(), -1);
    EXPECT_TRUE(running.Took(1, 0));
  }
  // Nothing else is waiting.
  EXPECT_FALSE(first.TakeRequest());
}

// Two different books whose ids are equal (two sites built from folders of the same name):
// the second one is not the first, so it must not end silently; it runs, guarded by a
// name of its own, and its own second copy hands over to it, not to the first book.
TEST(SingleInstanceTest, ADifferentBookWithTheSameIdNeverHandsOver) {
  std::string name = UniqueName("same-id");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name, "python-docs"), SingleInstanceGuard::Outcome::kFirst);
  RunningCopy firstRunning(&first);

  SingleInstanceGuard other;
  EXPECT_EQ(other.Acquire(name, "postgres-docs"), SingleInstanceGuard::Outcome::kFirst);
  ASSERT_GE(other.ListenFd(), 0);
  EXPECT_TRUE(firstRunning.Took(0, 1));
  RunningCopy otherRunning(&other);

  SingleInstanceGuard otherAgain;
  EXPECT_EQ(otherAgain.Acquire(name, "postgres-docs"), SingleInstanceGuard::Outcome::kHandedOver);
  SingleInstanceGuard firstAgain;
  EXPECT_EQ(firstAgain.Acquire(name, "python-docs"), SingleInstanceGuard::Outcome::kHandedOver);
  EXPECT_TRUE(firstRunning.Took(1, 2));
  EXPECT_TRUE(otherRunning.Took(1, 0));
}

// A holder that reads the request and says nothing (a copy that cannot tell which book it
// is) is not taken for the same book either.
TEST(SingleInstanceTest, AHolderThatDoesNotAnswerIsNotTheSameBook) {
  std::string name = UniqueName("mute");
  int holder = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  const socklen_t length = AbstractAddress(name, &address);
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(holder, 8), 0);
  std::string heard;
  std::thread mute([&] {
    int client = accept(holder, nullptr, nullptr);
    char buffer[64] = {};
    ssize_t n = read(client, buffer, sizeof buffer);
    heard.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    close(client);
  });
  SingleInstanceGuard copy;
  EXPECT_EQ(copy.Acquire(name, "book-a"), SingleInstanceGuard::Outcome::kFirst);
  mute.join();
  close(holder);
  EXPECT_EQ(heard, "present book-a\n");
}

// A copy that names no book (as copies before this handshake did) still brings the first
// one forward.
TEST(SingleInstanceTest, ARequestWithoutIdentityStillPresents) {
  std::string name = UniqueName("legacy");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name, "book-a"), SingleInstanceGuard::Outcome::kFirst);
  SendRaw(name, "present\n");
  ASSERT_TRUE(Readable(first.ListenFd()));
  EXPECT_TRUE(first.TakeRequest());
}

TEST(SingleInstanceTest, DifferentBooksRunSideBySide) {
  SingleInstanceGuard a;
  SingleInstanceGuard b;
  EXPECT_EQ(a.Acquire(UniqueName("a"), "a"), SingleInstanceGuard::Outcome::kFirst);
  EXPECT_EQ(b.Acquire(UniqueName("b"), "b"), SingleInstanceGuard::Outcome::kFirst);
}

TEST(SingleInstanceTest, ReleasedNameIsFreeForTheNextCopy) {
  std::string name = UniqueName("release");
  {
    SingleInstanceGuard first;
    ASSERT_EQ(first.Acquire(name, "book"), SingleInstanceGuard::Outcome::kFirst);
    first.Release();
    EXPECT_EQ(first.ListenFd(), -1);
    SingleInstanceGuard next;
    EXPECT_EQ(next.Acquire(name, "book"), SingleInstanceGuard::Outcome::kFirst);
  }
  // The destructor gives the name up as well.
  SingleInstanceGuard after;
  EXPECT_EQ(after.Acquire(name, "book"), SingleInstanceGuard::Outcome::kFirst);
}

TEST(SingleInstanceTest, ListeningSocketIsNotInheritedByStartedPrograms) {
  SingleInstanceGuard guard;
  ASSERT_EQ(guard.Acquire(UniqueName("cloexec"), "book"), SingleInstanceGuard::Outcome::kFirst);
  int flags = fcntl(guard.ListenFd(), F_GETFD);
  EXPECT_TRUE(flags & FD_CLOEXEC);
}

TEST(SingleInstanceTest, AConnectionThatSaysNothingIsNoRequest) {
  std::string name = UniqueName("silent");
  SingleInstanceGuard first;
  ASSERT_EQ(first.Acquire(name, "book"), SingleInstanceGuard::Outcome::kFirst);
  SendRaw(name, "nonsense");
  ASSERT_TRUE(Readable(first.ListenFd()));
  EXPECT_FALSE(first.TakeRequest());
}

}  // namespace
}  // namespace quire::testing
