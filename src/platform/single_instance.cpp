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

constexpr char kPresentRequest[] = "present\n";
constexpr int kRequestWaitMs = 1000;

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

}  // namespace

std::string SingleInstanceName(const std::string& bookId) {
  return "k9webook" + bookId.substr(0, bookId.find('\0'));
}

SingleInstanceGuard::~SingleInstanceGuard() {
  Release();
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Acquire(const std::string& name) {
  Release();
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
  close(fd);
  if (errno != EADDRINUSE)
    return Outcome::kUnavailable;

  int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (peer < 0)
    return Outcome::kUnavailable;
  Outcome outcome = Outcome::kUnavailable;
  if (connect(peer, reinterpret_cast<sockaddr*>(&address), length) == 0 && PeerIsSameUser(peer)) {
    ssize_t sent = send(peer, kPresentRequest, sizeof(kPresentRequest) - 1, MSG_NOSIGNAL);
    if (sent == static_cast<ssize_t>(sizeof(kPresentRequest) - 1))
      outcome = Outcome::kHandedOver;
  }
  close(peer);
  return outcome;
}

bool SingleInstanceGuard::TakeRequest() {
  if (m_fd < 0)
    return false;
  int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0)
    return false;
  bool present = false;
  if (PeerIsSameUser(client)) {
    char buffer[sizeof(kPresentRequest)] = {};
    size_t got = 0;
    pollfd wait{client, POLLIN, 0};
    while (got < sizeof(kPresentRequest) - 1 && poll(&wait, 1, kRequestWaitMs) > 0) {
      ssize_t n = recv(client, buffer + got, sizeof(kPresentRequest) - 1 - got, 0);
      if (n <= 0)
        break;
      got += static_cast<size_t>(n);
    }
    present = got == sizeof(kPresentRequest) - 1 && std::memcmp(buffer, kPresentRequest, got) == 0;
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
