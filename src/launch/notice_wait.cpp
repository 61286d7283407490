#include "launch/notice_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace quire {

void WaitForWake(const std::vector<WakeSource>& sources, int seconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
  std::vector<pollfd> fds;
  for (const WakeSource& source : sources)
    fds.push_back({source.fd, POLLIN, 0});
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return;
    // poll takes an int of milliseconds: wake at least once a day to recompute.
    const int timeout = static_cast<int>(std::min<long long>(left, 24LL * 3600 * 1000));
    const int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR)
      return;
    for (size_t i = 0; ready > 0 && i < fds.size(); ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && sources[i].OnReadable())
        return;
    }
  }
}

}  // namespace quire
