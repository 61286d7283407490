// The window the core talks to while no real window exists: in command-line tools, during
// start-up before the frame is made, and in tests that install nothing else.
#ifndef QUIRE_UI_CONSOLE_WINDOW_H_
#define QUIRE_UI_CONSOLE_WINDOW_H_

#include "ui/reader_window.h"

namespace quire {

// Messages are written to standard error, one block per box, and answered as if the box
// had been dismissed (OK for a box with only OK, else Cancel, No or Abort). Dialogs are
// cancelled. There is no view and no frame: view and frame operations do nothing, every
// rectangle is 0 and the current address is empty.
class ConsoleWindow final : public ReaderWindow {
 public:
  int MessageBox(const std::string& text, int style) override;
  bool SaveFileDialog(const SaveFileRequest&, std::string*) override { return false; }
  bool SearchDialog(std::string*, bool*) override { return false; }
  void Beep() override;

  bool HasView() const override { return false; }
  void Navigate(const std::string&) override {}
  std::string CurrentUrl() const override { return {}; }
  void SetInCommand(bool) override {}
  void RunCommand(std::string_view) override {}

  bool HasFrame() const override { return false; }
  void ShowMaximized() override {}
  void ShowMinimized() override {}
  void ShowNormal() override {}
  void PlaceWindow(const WindowRect&) override {}
  void CloseWindow() override {}
  WindowRect FrameRect() const override { return {}; }
  WindowRect ClientRect() const override { return {}; }
  WindowRect ScreenRect() const override { return {}; }
  void* NativeHandle() const override { return nullptr; }

  void SetStatusText(const std::string&) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void ShowProgress(const std::string&, int) override {}
  void HideProgress() override {}
};

// The answer a dismissed box of `style` gives: the code of its cancelling button.
int DismissedAnswer(int style);

}  // namespace quire

#endif  // QUIRE_UI_CONSOLE_WINDOW_H_
