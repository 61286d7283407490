#include "ui/reader_window.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <cerrno>

namespace quire {

std::optional<int> ReaderWindow::WaitForChild(int pid, int timeoutMs) {
  const timespec pause{0, 10 * 1000 * 1000};
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
      return status;
    if (done < 0 && errno != EINTR)
      return SIGKILL;  // cannot be waited for: reported as a child that did not exit
    nanosleep(&pause, nullptr);
  }
  return std::nullopt;
}

}  // namespace quire
