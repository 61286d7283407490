// Start-up without a window: reads the book appended to this program, extracts it, loads
// its extension libraries, tells what it found and cleans up again. The GTK window takes
// over this sequence once it exists.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "book/cebook.h"
#include "session/reader_session.h"
#include "ui/reader_window.h"

int main() {
  using namespace quire;
  ReaderSession session;
  if (StartupFailure failure = session.ReadOwnBook()) {
    std::fprintf(stderr, "%s\n", failure.message.c_str());
    return 1;
  }
  if (!session.SplashPath().empty())
    unlink(session.SplashPath().c_str());  // nothing shows it without a window

  if (StartupFailure failure = session.LoadBook()) {
    TheWindow().MessageBox(failure.message, kMbOk | kMbIconExclamation);
    return failure.exitCode;
  }
  session.LoadExtensions();

  const CEBook& book = CEBook::Instance();
  std::printf("Title: %s\nStart page: %s\nFiles: %zu\n", book.Title().c_str(),
              book.StartPage().c_str(), book.Files().size());
  std::fflush(stdout);

  session.Shutdown();
  return 0;
}
