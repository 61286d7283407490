#include "app/quire_app.h"

#include <glib-unix.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "app/desktop_theme.h"
#include "app/shortcut_launcher.h"
#include "app/splash_window.h"
#include "pages/reader_context.h"
#include "session/browser_notice.h"
#include "view/quire_view.h"

namespace quire {

namespace {

// The window class all books share.
constexpr char kMainWindowClass[] = "Pagora E-Book Class";

}  // namespace

CQuireApp::CQuireApp(ReaderContext& context) : m_context(context), m_session(context) {}

CQuireApp::~CQuireApp() {
  if (m_closeSource != 0)
    g_source_remove(m_closeSource);
  m_context.window.Install(nullptr);
}

int CQuireApp::Run(int argc, char** argv) {
  g_set_prgname("quire");
  const bool display = gtk_init_check(&argc, &argv) != FALSE;
  if (display) {
    gdk_set_program_class(kMainWindowClass);
    gtk_window_set_default_icon_name("accessories-dictionary");
    // Before the load, which may already write the about page.
    FollowDesktopTheme(m_context.book);
    m_window = std::make_unique<GtkReaderWindow>(
        m_context.book, [this](const std::function<void()>& work) { Busy(work); });
    m_window->SetCloseRequest([this] { RequestClose(); });
    // From here on the book's load messages are message boxes.
    m_context.window.Install(m_window.get());
  }

  if (StartupFailure failure = m_session.ReadOwnBook()) {
    if (display) {
      GtkReaderWindow::ShowStartupNotice(failure.message);
    } else {
      std::fprintf(stderr, "quire: %s\n", failure.message.c_str());
    }
    return failure.exitCode;
  }

  if (display) {
    switch (m_guard.Acquire(SingleInstanceName(m_session.BookId()), m_session.BookIdentity())) {
      case SingleInstanceGuard::Outcome::kHandedOver:
        if (!m_session.SplashPath().empty())
          unlink(m_session.SplashPath().c_str());
        return 0;
      case SingleInstanceGuard::Outcome::kFirst:
        m_listenWatch = g_unix_fd_add(m_guard.ListenFd(), G_IO_IN, OnListenReadable, this);
        break;
      case SingleInstanceGuard::Outcome::kUnavailable:
        break;
    }
  }

  if (StartupFailure failure = m_session.LoadBook())
    return StartupFailed(failure, display);

  if (!display) {
    // Nothing can show the book: take back what the load wrote and say why.
    m_context.store.Cleanup();
    if (!m_session.SplashPath().empty())
      unlink(m_session.SplashPath().c_str());
    std::fprintf(stderr, "%s\n", kNoDisplay);
    return 1;
  }

  m_window->SetTitle(m_context.book.Title());
  m_session.LoadExtensions();

  m_signalWatches[0] = g_unix_signal_add(SIGTERM, OnTerminateSignal, this);
  m_signalWatches[1] = g_unix_signal_add(SIGINT, OnTerminateSignal, this);
  m_signalWatches[2] = g_unix_signal_add(SIGHUP, OnTerminateSignal, this);
  // A key or mouse press while the splash shows closes it and goes no further.
  gdk_event_handler_set(FilterEvent, this, nullptr);

  m_frame = std::make_unique<CMainFrame>(
      m_context, [this] { RequestClose(); },
      [this](const std::function<void()>& work) { Busy(work); });
  m_window->SetFrame(m_frame.get());
  // Read before the splash window takes the picture (and deletes it when it closes).
  const ShortcutOptions shortcut =
      DesktopShortcutOptions(m_session.SplashPath(), m_context.book.Esbn());
  m_frame->Create(m_session.SplashPath());
  // One question at a time: the start-up message and script wait for the answer.
  CQuireView* view = m_frame->View();
  if (view != nullptr)
    view->HoldStartup();
  Busy([&] { OfferShortcut(m_context, shortcut); });
  m_frame->ShowInitially();
  if (view != nullptr && m_frame->View() == view)
    view->ReleaseStartup();

  if (!m_closing)
    gtk_main();

  for (guint& watch : m_signalWatches) {
    if (watch != 0)
      g_source_remove(watch);
    watch = 0;
  }
  CSplashWindow::CloseIfOpen();
  m_window->SetFrame(nullptr);
  m_frame.reset();
  gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr,
                        nullptr);
  return 0;
}

int CQuireApp::StartupFailed(const StartupFailure& failure, bool display) {
  if (!failure.message.empty()) {
    if (display) {
      m_context.window->MessageBox(failure.message, kMbOk | kMbIconExclamation);
    } else {
      std::fprintf(stderr, "quire: %s\n", failure.message.c_str());
    }
  }
  return failure.exitCode;
}

void CQuireApp::Busy(const std::function<void()>& work) {
  ++m_busyDepth;
  work();
  --m_busyDepth;
  if (m_busyDepth == 0 && m_closeRequested)
    CloseIfIdle();
}

void CQuireApp::RequestClose() {
  m_closeRequested = true;
  CloseIfIdle();
}

void CQuireApp::CloseIfIdle() {
  if (m_closing || m_busyDepth > 0)
    return;
  m_closing = true;
  // Leave the script or signal handler that asked first.
  m_closeSource = g_idle_add(
      [](gpointer selfPointer) -> gboolean {
        auto* self = static_cast<CQuireApp*>(selfPointer);
        self->m_closeSource = 0;
        self->Close();
        return G_SOURCE_REMOVE;
      },
      this);
}

void CQuireApp::Close() {
  // A copy started from now on runs on its own instead of handing over to this one.
  if (m_listenWatch != 0)
    g_source_remove(m_listenWatch);
  m_listenWatch = 0;
  m_guard.Release();
  CSplashWindow::CloseIfOpen();
  if (m_frame != nullptr && m_frame->Exists()) {
    // Where the reader was, before the exit script may take the page elsewhere.
    m_frame->RememberReading();
    m_frame->Hide();
    ++m_busyDepth;
    m_frame->View()->OnDestroy([this] { m_session.Shutdown(); });
    --m_busyDepth;
    m_window->SetFrame(nullptr);
    m_frame->Destroy();
  } else {
    m_session.Shutdown();
  }
  gtk_main_quit();
}

gboolean CQuireApp::OnListenReadable(gint, GIOCondition, gpointer selfPointer) {
  auto* self = static_cast<CQuireApp*>(selfPointer);
  if (self->m_guard.TakeRequest() && self->m_frame != nullptr && !self->m_closing)
    self->m_frame->Present();
  return G_SOURCE_CONTINUE;
}

gboolean CQuireApp::OnTerminateSignal(gpointer selfPointer) {
  auto* self = static_cast<CQuireApp*>(selfPointer);
  // Open dialogs, and those the exit script still shows, are answered as if dismissed:
  // the user may be logging out and nobody would answer them.
  if (self->m_window != nullptr)
    self->m_window->DismissAllDialogs();
  self->RequestClose();
  return G_SOURCE_CONTINUE;
}

void CQuireApp::FilterEvent(GdkEvent* event, gpointer selfPointer) {
  if (CSplashWindow::IsOpen()) {
    GdkEventType type = event->type;
    bool press = type == GDK_KEY_PRESS || (type == GDK_BUTTON_PRESS && event->button.button >= 1 &&
                                           event->button.button <= 3);
    if (press && CSplashWindow::CloseIfOpen())
      return;
  }
  gtk_main_do_event(event);
  auto* self = static_cast<CQuireApp*>(selfPointer);
  if (event->type == GDK_EXPOSE && self->m_frame != nullptr)
    self->m_frame->OnExposed(event->expose.window);
}

}  // namespace quire
