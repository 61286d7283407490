// The one interface through which the portable core reaches the window. A reader's
// context holds the window it talks to (window_slot.h): the GTK program's, a console
// fallback, or a test's fake.
//
// No method throws. Every method may be called at any time, also before the window
// exists and after it is gone.
#ifndef QUIRE_UI_READER_WINDOW_H_
#define QUIRE_UI_READER_WINDOW_H_

#include <optional>
#include <string>
#include <string_view>

namespace quire {

// Message box style words, as books and scripts pass them (MESSAGEBOX2).
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbAbortRetryIgnore = 2;
inline constexpr int kMbYesNoCancel = 3;
inline constexpr int kMbYesNo = 4;
inline constexpr int kMbRetryCancel = 5;
inline constexpr int kMbButtonMask = 0x0F;
inline constexpr int kMbIconStop = 16;
inline constexpr int kMbIconQuestion = 32;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbIconInformation = 64;
inline constexpr int kMbIconMask = 0xF0;

// Codes of the button that closed a message box.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// What the save-file dialog is asked to show. `filter` is in the `|`-separated form
// "Description|pattern|...||"; `defaultExtension` (without dot, may be empty) is appended
// to a typed name that has none. The dialog asks before overwriting an existing file.
struct SaveFileRequest {
  std::string title;
  std::string folder;
  std::string fileName;
  std::string filter;
  std::string defaultExtension;
};

struct WindowRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class ReaderWindow {
 public:
  virtual ~ReaderWindow() = default;

  // --- Dialogs -------------------------------------------------------------------------
  // Shows `text` with the buttons and icon of `style` (kMb... words); the caption is the
  // application's title. A style without icon bits gets the exclamation icon for the OK,
  // OK/Cancel, Yes/No/Cancel and Yes/No buttons, none for the two retry styles
  // (EffectiveIcon in ui/message_style.h decides). Returns
  // the kId... code of the button pressed (the cancel code when the box is dismissed).
  virtual int MessageBox(const std::string& text, int style) = 0;
  // Runs the save-file dialog owned by the main window. True and the chosen full path
  // when the user confirms; false (and `path` untouched) when cancelled.
  virtual bool SaveFileDialog(const SaveFileRequest& request, std::string* path) = 0;
  // Asks for search words. True with the words and the case flag unless cancelled.
  virtual bool SearchDialog(std::string* words, bool* caseSensitive) = 0;
  // The system's default beep.
  virtual void Beep() = 0;

  // --- The HTML view ---------------------------------------------------------------------
  virtual bool HasView() const = 0;
  virtual void Navigate(const std::string& url) = 0;
  // Address of the page shown in the view; empty when there is no view.
  virtual std::string CurrentUrl() const = 0;
  // The view's m_bInCommand flag: while set, the navigation policy lets every navigation
  // through. Setting it when the view is gone does nothing.
  virtual void SetInCommand(bool inCommand) = 0;

  // --- The reader's commands -----------------------------------------------------------
  // Runs the reader's command `name` (a row of the frame's command table: "back",
  // "print-setup", "font-largest", ...) as a book's script asks for it: the operation its
  // menu item, button and keys run, also while that item is disabled, since a script may
  // go back or copy whatever the menus show. Does nothing when there is no view or no
  // command of that name.
  virtual void RunCommand(std::string_view name) = 0;

  // --- The main frame ------------------------------------------------------------------
  virtual bool HasFrame() const = 0;
  virtual void ShowMaximized() = 0;
  virtual void ShowMinimized() = 0;
  virtual void ShowNormal() = 0;
  // Normal state, shown, outer rectangle `rect` in screen pixels.
  virtual void PlaceWindow(const WindowRect& rect) = 0;
  // The same as closing the window with the mouse, including the shutdown. The view may
  // be destroyed before this returns.
  virtual void CloseWindow() = 0;
  // Outer rectangle of the main window; all 0 when there is no frame.
  virtual WindowRect FrameRect() const = 0;
  // Rectangle of the HTML view; all 0 when there is no view.
  virtual WindowRect ClientRect() const = 0;
  // Screen size in pixels (x and y are 0); 0 when unknown.
  virtual WindowRect ScreenRect() const = 0;
  // The main window as a native pointer (GtkWindow*), null before the frame exists.
  virtual void* NativeHandle() const = 0;

  // --- Status bar and cursor -----------------------------------------------------------
  // The status bar message; "Ready" is the idle text.
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Shows the progress bar beside `caption` (created on first call) at `position` 0-100;
  // does nothing when the status bar has no room for it.
  virtual void ShowProgress(const std::string& caption, int position) = 0;
  // Removes the progress bar, if shown.
  virtual void HideProgress() = 0;

  // --- Waiting for outside programs ----------------------------------------------------
  // Waits at most `timeoutMs` for child process `pid` to end, while the user interface
  // stays responsive: the window runs its main loop with a child watch meanwhile, the
  // way a modal dialog does. Returns the child's wait status (the child is reaped), or
  // nullopt when it still runs at the deadline (it is then left alone). The default polls
  // and blocks the calling thread, which is right where no main loop runs: tools, tests
  // and start-up before the window exists.
  virtual std::optional<int> WaitForChild(int pid, int timeoutMs);
};

}  // namespace quire

#endif  // QUIRE_UI_READER_WINDOW_H_
