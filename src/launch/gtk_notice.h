// GTK's message box, for a program that does not link GTK: the library is loaded when
// the notice is needed, and only if it is installed.
#ifndef QUIRE_LAUNCH_GTK_NOTICE_H_
#define QUIRE_LAUNCH_GTK_NOTICE_H_

#include <string>
#include <vector>

#include "launch/notice_wait.h"

namespace quire {

class GtkNotice {
 public:
  GtkNotice() = default;
  GtkNotice(const GtkNotice&) = delete;
  GtkNotice& operator=(const GtkNotice&) = delete;

  enum class Outcome {
    kMissing,    // GTK 3, or a function of it, is not there
    kNoDisplay,  // GTK is there but no display can be opened
    kOpen,       // message boxes can be shown
  };

  // Loads GTK 3 and opens the display.
  Outcome Open(int* argc, char*** argv);

  // Shows `text` in a message box captioned `title` with one button, OK unless `button`
  // names another, and waits until the user closes it, a source ends the wait, or
  // `seconds` have passed; then the box goes. The OK box stays above other windows (it
  // reports a failure); one with a button of its own stays open while the user reads, so
  // it does not cover the browser.
  void Show(const std::string& title, const std::string& text,
            const std::vector<WakeSource>& sources, int seconds, const std::string& button = "");

 private:
  struct Api;
  Api* m_api = nullptr;
};

}  // namespace quire

#endif  // QUIRE_LAUNCH_GTK_NOTICE_H_
