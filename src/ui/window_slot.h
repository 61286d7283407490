// The window one reader talks to: the window installed in the slot, else a console
// fallback. The GTK program installs its window once the frame exists; until then (and in
// command-line tools) the console answers: messages go to standard error, dialogs are
// cancelled, the view and frame do not exist and every geometry is 0. Tests install a
// fake that records calls and answers dialogs from a script.
//
//   context.window->MessageBox("Saved.", kMbOk | kMbIconInformation);
#ifndef QUIRE_UI_WINDOW_SLOT_H_
#define QUIRE_UI_WINDOW_SLOT_H_

#include "ui/console_window.h"
#include "ui/reader_window.h"

namespace quire {

class WindowSlot {
 public:
  WindowSlot() = default;
  WindowSlot(const WindowSlot&) = delete;
  WindowSlot& operator=(const WindowSlot&) = delete;

  // The installed window, else the console fallback. Never null.
  ReaderWindow& operator*() const { return m_installed != nullptr ? *m_installed : m_console; }
  ReaderWindow* operator->() const { return &**this; }

  // Installs `window` (not owned; must outlive its installation). Null reinstates the
  // console fallback.
  void Install(ReaderWindow* window) { m_installed = window; }

 private:
  ReaderWindow* m_installed = nullptr;
  mutable ConsoleWindow m_console;
};

}  // namespace quire

#endif  // QUIRE_UI_WINDOW_SLOT_H_
