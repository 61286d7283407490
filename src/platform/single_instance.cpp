#include "platform/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace quire {

namespace {

// "present <identity>\n" asks; "same\n" or "other\n" answers. An older copy sends
// "present\n" alone and reads no answer.
constexpr char kPresentRequest[] = "present";
constexpr char kSameAnswer[] = "same\n";
constexpr char kOtherAnswer[] = "other\n";
constexpr size_t kMaxLine = 256;
constexpr int kRequestWaitMs = 1000;
// The first copy answers from its main loop, which a long script or dialog may hold up.
constexpr int kAnswerWaitMs = 5000;

socklen_t AbstractAddress(const std::string& name, sockaddr_un* address) {
  std::memset(address, 0, sizeof(*address));
  address->sun_family = AF_UNIX;
  // Abstract names start with a zero byte; they vanish with the last socket that holds
  // them, so a crashed copy never blocks the next start.
  size_t length = std::min(name.size(), sizeof(address->sun_path) - 1);
  std::memcpy(address->sun_path + 1, name.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

bool PeerIsSameUser(int fd) {
  ucred credentials{};
  socklen_t size = sizeof(credentials);
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
    return false;
  return credentials.uid == getuid();
}

// Reads one line (without its '\n') of at most kMaxLine bytes, waiting `waitMs` at most
// for each piece. False when none arrives whole.
bool ReadLine(int fd, int waitMs, std::string* line) {
  line->clear();
  pollfd wait{fd, POLLIN, 0};
  while (line->size() < kMaxLine && poll(&wait, 1, waitMs) > 0) {
    char c = 0;
    if (recv(fd, &c, 1, 0) != 1)
      return false;
    if (c == '\n')
      return true;
    line->push_back(c);
  }
  return false;
}

bool SendAll(int fd, const std::string& text) {
  return send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

}  // namespace

std::string SingleInstanceName(const std::string& bookId) {
  return "k9webook" + bookId.substr(0, bookId.find('\0'));
}

SingleInstanceGuard::~SingleInstanceGuard() {
  Release();
}

SingleInstanceGuard::Outcome SingleInstanceGuard::TryName(const std::string& name, Asked* asked) {
  *asked = Asked::kUnreachable;
  sockaddr_un address;
  socklen_t length = AbstractAddress(name, &address);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return Outcome::kUnavailable;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0) {
    if (listen(fd, 8) != 0) {
      close(fd);
      return Outcome::kUnavailable;
    }
    m_fd = fd;
    return Outcome::kFirst;
  }
  const int bindError = errno;
  close(fd);
  if (bindError != EADDRINUSE)
    return Outcome::kUnavailable;

  int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (peer < 0)
    return Outcome::kUnavailable;
  if (connect(peer, reinterpret_cast<sockaddr*>(&address), length) == 0 && PeerIsSameUser(peer)) {
    // No answer, or one that is not "same": not this book, as far as anyone can tell.
    *asked = Asked::kOther;
    std::string answer;
    if (SendAll(peer, std::string(kPresentRequest) + " " + m_identity + "\n") &&
        ReadLine(peer, kAnswerWaitMs, &answer) && answer + "\n" == kSameAnswer) {
      *asked = Asked::kSame;
    }
  }
  close(peer);
  return *asked == Asked::kSame ? Outcome::kHandedOver : Outcome::kUnavailable;
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Acquire(const std::string& name,
                                                          const std::string& identity) {
  Release();
  m_identity = identity;
  Asked asked;
  const Outcome outcome = TryName(name, &asked);
  // Another user's copy cannot be asked, as before; another book, or a copy that cannot
  // say which book it is, must not take this one's place: this book guards a name of its
  // own.
  if (outcome != Outcome::kUnavailable || asked == Asked::kUnreachable)
    return outcome;
  return TryName(name + "/" + identity, &asked);
}

bool SingleInstanceGuard::TakeRequest() {
  if (m_fd < 0)
    return false;
  int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0)
    return false;
  bool present = false;
  std::string request;
  if (PeerIsSameUser(client) && ReadLine(client, kRequestWaitMs, &request)) {
    const std::string prefix = std::string(kPresentRequest) + " ";
    if (request == kPresentRequest) {
      present = true;  // an older copy, which names no book
    } else if (request.rfind(prefix, 0) == 0) {
      present = request.substr(prefix.size()) == m_identity;
      SendAll(client, present ? kSameAnswer : kOtherAnswer);
    }
  }
  close(client);
  return present;
}

void SingleInstanceGuard::Release() {
  if (m_fd >= 0)
    close(m_fd);
  m_fd = -1;
}

}  // namespace quire
