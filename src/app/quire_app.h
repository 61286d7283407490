// The application: the start-up sequence around the GTK main loop, the single-instance
// guard, the close of the window (menu, close button, script, or a signal such as SIGTERM)
// and the shutdown that follows it.
#ifndef QUIRE_APP_QUIRE_APP_H_
#define QUIRE_APP_QUIRE_APP_H_

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "app/gtk_reader_window.h"
#include "app/main_frame.h"
#include "platform/single_instance.h"
#include "session/reader_session.h"

namespace quire {

struct ReaderContext;

class CQuireApp {
 public:
  // `context` (not owned) is the reader this application shows; it outlives the application.
  explicit CQuireApp(ReaderContext& context);
  ~CQuireApp();
  CQuireApp(const CQuireApp&) = delete;
  CQuireApp& operator=(const CQuireApp&) = delete;

  // Runs the book; returns the process's exit code. 1 when no display can be opened,
  // the code of the failure when the book cannot be read, 0 otherwise (also for a second
  // copy that handed over to the first).
  int Run(int argc, char** argv);

  // Closes the main window as its close button does. While a script or a dialog is busy
  // the close waits until it has finished.
  void RequestClose();

 private:
  static gboolean OnListenReadable(gint fd, GIOCondition condition, gpointer self);
  static gboolean OnTerminateSignal(gpointer self);
  static void FilterEvent(GdkEvent* event, gpointer self);

  // Runs `work` as one busy stretch; a close requested meanwhile happens afterwards.
  void Busy(const std::function<void()>& work);
  void CloseIfIdle();
  void Close();
  int StartupFailed(const StartupFailure& failure, bool display);

  ReaderContext& m_context;
  ReaderSession m_session;
  SingleInstanceGuard m_guard;
  std::unique_ptr<GtkReaderWindow> m_window;
  std::unique_ptr<CMainFrame> m_frame;
  guint m_listenWatch = 0;
  guint m_closeSource = 0;  // the close waiting for the main loop
  guint m_signalWatches[3] = {};
  int m_busyDepth = 0;
  bool m_closeRequested = false;
  bool m_closing = false;
};

}  // namespace quire

#endif  // QUIRE_APP_QUIRE_APP_H_
