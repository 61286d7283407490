#include "ui/console_window.h"

#include <cstdio>

namespace quire {

int DismissedAnswer(int style) {
  switch (style & kMbButtonMask) {
    case kMbOk:
      return kIdOk;
    case kMbAbortRetryIgnore:
      return kIdAbort;
    case kMbYesNo:
      return kIdNo;
    default:
      return kIdCancel;
  }
}

int ConsoleWindow::MessageBox(const std::string& text, int style) {
  std::fprintf(stderr, "quire: %s\n", text.c_str());
  std::fflush(stderr);
  return DismissedAnswer(style);
}

void ConsoleWindow::Beep() {
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

}  // namespace quire
