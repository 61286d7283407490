#include "launch/browser_reading.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "launch/gtk_notice.h"
#include "pages/file_url.h"
#include "pages/reader_context.h"
#include "platform/launcher.h"
#include "platform/single_instance.h"
#include "session/browser_notice.h"
#include "session/reader_session.h"

namespace quire {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr char kFallbackTitle[] = "Pagora E-Book";

// Signals arrive on a pipe, so that the wait (poll or GTK's loop) sees them as input.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

bool InstallSignalPipe() {
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
    return false;
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kStopSignals)
    sigaction(number, &action, nullptr);
  sigaction(SIGCHLD, &action, nullptr);
  return true;
}

// Reads what the signals wrote; true when one of them asks the program to end. Openers
// that have finished are reaped.
bool DrainSignals() {
  bool stop = false;
  char bytes[64];
  ssize_t n;
  while ((n = read(g_signalPipe[0], bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < n; ++i)
      stop = stop || bytes[i] != static_cast<char>(SIGCHLD);
  }
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  return stop;
}

bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0')
      return true;
  }
  return false;
}

void OpenInBrowser(const std::string& path) {
  const OpenerStart opener = StartOpener(path);
  if (opener.Running())
    AbandonOpener(opener);  // reaped when its SIGCHLD arrives
}

// Opens `path` in the browser and says whether that worked: the opener's answer when it
// gives one within kOpenerWaitMs; one still running then is a browser in the terminal,
// which counts as opened.
bool OpenedInBrowser(const std::string& path) {
  const OpenerStart opener = StartOpener(path);
  if (!opener.Running())
    return opener.shellResult == kOpened;
  constexpr int kStepMs = 20;
  for (int waited = 0; waited < kOpenerWaitMs; waited += kStepMs) {
    int status = 0;
    const pid_t ended = waitpid(opener.pid, &status, WNOHANG);
    if (ended == opener.pid)
      return OpenerResult(opener, status) == kOpened;
    if (ended < 0)
      return true;  // reaped elsewhere: its answer is lost, so it counts as given
    const struct timespec step = {0, kStepMs * 1000000L};
    nanosleep(&step, nullptr);
  }
  return AbandonOpener(opener) == kOpened;
}

}  // namespace

int RunInBrowser(ReaderContext& context, const LoadedFrontEnd& failed, int argc, char** argv) {
  GtkNotice gtk;
  const GtkNotice::Outcome opened = gtk.Open(&argc, &argv);
  const bool gtkShown = opened == GtkNotice::Outcome::kOpen;
  // Without GTK nothing can test the display; a named one is taken as there.
  const bool display = opened == GtkNotice::Outcome::kMissing ? DisplayNamed() : gtkShown;
  auto tell = [&](const std::string& text) {
    if (gtkShown) {
      gtk.Show(kFallbackTitle, text, {}, kBrowserReadingHours * 3600);
    } else {
      std::fprintf(stderr, "quire: %s\n", text.c_str());
    }
  };

  ReaderSession session(context);
  if (StartupFailure failure = session.ReadOwnBook()) {
    tell(failure.message);
    return failure.exitCode;
  }
  auto dropSplash = [&] {
    if (!session.SplashPath().empty())
      unlink(session.SplashPath().c_str());
  };
  SingleInstanceGuard guard;
  if (display && guard.Acquire(SingleInstanceName(session.BookId()), session.BookIdentity()) ==
                     SingleInstanceGuard::Outcome::kHandedOver) {
    dropSplash();
    return 0;
  }
  if (StartupFailure failure = session.LoadBook()) {
    dropSplash();
    if (!failure.message.empty())
      tell(failure.message);
    return failure.exitCode;
  }
  dropSplash();
  if (!display) {
    context.store.Cleanup();
    std::fprintf(stderr, "%s\n", kNoDisplay);
    return 1;
  }

  InstallSignalPipe();
  WriteBrowserPages(context);
  const std::string startPage = context.book.StartPage();
  const bool inBrowser = OpenedInBrowser(startPage);

  const std::string library = MissingLibraryName(failed.error, failed.loadPath);
  const std::string startUrl = FileUrlFromPath(startPage);
  std::vector<WakeSource> sources = {{g_signalPipe[0], [] { return DrainSignals(); }}};
  if (guard.ListenFd() >= 0) {
    // Another start of the same book shows its pages again.
    sources.push_back({guard.ListenFd(), [&] {
                         if (guard.TakeRequest())
                           OpenInBrowser(startPage);
                         return false;
                       }});
  }
  const int seconds = kBrowserReadingHours * 3600;
  if (gtkShown) {
    // The pages stay until the user closes the book from the notice: a browser still
    // shows them.
    gtk.Show(
        context.book.Title(),
        BrowserNoticeText(library, failed.error, startUrl, NoticeMedium::kMessageBox, inBrowser),
        sources, seconds, kCloseTheBook);
  } else {
    const bool terminal = isatty(STDERR_FILENO) == 1;
    const NoticeMedium medium = terminal ? NoticeMedium::kTerminal : NoticeMedium::kPage;
    const std::string text = BrowserNoticeText(library, failed.error, startUrl, medium, inBrowser);
    std::fprintf(stderr, "quire: %s\n", text.c_str());
    // Started from a file manager, nobody reads standard error: the browser shows it.
    if (!terminal && inBrowser)
      OpenInBrowser(WriteNoticePage(context, text));
    WaitForWake(sources, seconds);
  }
  guard.Release();
  context.store.Cleanup();
  return 0;
}

}  // namespace quire
