// Waiting while a book is open in the browser: for a file descriptor to become readable
// (a signal, a second copy of the book) or for the time limit.
#ifndef QUIRE_LAUNCH_NOTICE_WAIT_H_
#define QUIRE_LAUNCH_NOTICE_WAIT_H_

#include <functional>
#include <vector>

namespace quire {

// A descriptor to watch; `OnReadable` returns true when the wait should end.
struct WakeSource {
  int fd = -1;
  std::function<bool()> OnReadable;
};

// Waits until a source ends the wait or `seconds` have passed.
void WaitForWake(const std::vector<WakeSource>& sources, int seconds);

}  // namespace quire

#endif  // QUIRE_LAUNCH_NOTICE_WAIT_H_
