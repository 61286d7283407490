// The window seam as the GTK program answers it: real message boxes and dialogs, and the
// operations of the main frame and its view. Installed right after GTK has started; until
// the frame exists, view and frame operations do nothing.
#ifndef QUIRE_APP_GTK_READER_WINDOW_H_
#define QUIRE_APP_GTK_READER_WINDOW_H_

#include <gtk/gtk.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/reader_window.h"

namespace quire {

class CEBook;

class CMainFrame;

class GtkReaderWindow final : public ReaderWindow {
 public:
  using BusyScope = std::function<void(const std::function<void()>& work)>;

  // `book` (not owned, outlives the window) gives the search dialog its text encoding.
  GtkReaderWindow(const CEBook& book, BusyScope busyScope);
  ~GtkReaderWindow() override;

  // The frame the view and frame operations go to; null before it exists and after it
  // was destroyed.
  void SetFrame(CMainFrame* frame) { m_frame = frame; }
  // The caption of message boxes: "Pagora E-Book" until the book's title replaces it.
  void SetTitle(const std::string& title) { m_title = title; }
  // Dismisses every open dialog as its close button would (a dismissed message box gives
  // its cancelling answer), and from now on answers every new one the same way at once,
  // writing message texts to standard error: nobody is there to answer them any more.
  void DismissAllDialogs();
  // The notice for a damaged book: information icon, no owner, no caption of its own.
  static void ShowStartupNotice(const std::string& text);

  int MessageBox(const std::string& text, int style) override;
  bool SaveFileDialog(const SaveFileRequest& request, std::string* path) override;
  bool SearchDialog(std::string* words, bool* caseSensitive) override;
  void Beep() override;

  bool HasView() const override;
  void Navigate(const std::string& url) override;
  std::string CurrentUrl() const override;
  void SetInCommand(bool inCommand) override;
  // Runs the frame's command by the row the menus use, without their enabling rule.
  void RunCommand(std::string_view name) override;

  bool HasFrame() const override;
  void ShowMaximized() override;
  void ShowMinimized() override;
  void ShowNormal() override;
  void PlaceWindow(const WindowRect& rect) override;
  void CloseWindow() override;
  WindowRect FrameRect() const override;
  WindowRect ClientRect() const override;
  WindowRect ScreenRect() const override;
  void* NativeHandle() const override;

  void SetStatusText(const std::string& text) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void ShowProgress(const std::string& caption, int position) override;
  void HideProgress() override;

  // Runs the main loop meanwhile, so the window stays responsive while an opener works.
  std::optional<int> WaitForChild(int pid, int timeoutMs) override;

  // What CloseWindow does: the application's close request.
  void SetCloseRequest(std::function<void()> close) { m_close = std::move(close); }

 private:
  GtkWindow* Owner() const;
  int RunDialog(GtkDialog* dialog);

  const CEBook& m_book;
  BusyScope m_busyScope;
  CMainFrame* m_frame = nullptr;
  std::string m_title = "Pagora E-Book";
  std::function<void()> m_close;
  std::vector<GtkDialog*> m_openDialogs;
  bool m_dismissAll = false;
  int m_waitDepth = 0;
};

}  // namespace quire

#endif  // QUIRE_APP_GTK_READER_WINDOW_H_
