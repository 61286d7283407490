// Start-up without a window: reads the book appended to this program, extracts it, loads
// its extension libraries, tells what it found and cleans up again. The GTK window takes
// over this sequence once it exists.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "book/cebook.h"
#include "book/container_reader.h"
#include "book/page_store.h"
#include "ext/extension_hooks.h"

int main() {
  using namespace quire;
  std::string splash;
  if (!ReadTrailer() ||
      !ExtractSplashPicture(StartupTrailer().splashPos, StartupTrailer().splashSize, &splash)) {
    std::fprintf(stderr,
                 "This E-Book appears to be corrupted. If you downloaded from the Internet try "
                 "downloading it again.\n");
    return 1;
  }
  if (!splash.empty())
    unlink(splash.c_str());  // nothing shows it without a window

  CEBook& book = CEBook::Instance();
  book.Load();  // a damaged book ends the process here
  LoadExtensions();

  std::printf("Title: %s\nStart page: %s\nFiles: %zu\n", book.Title().c_str(),
              book.StartPage().c_str(), book.Files().size());
  std::fflush(stdout);

  PageStore::Instance().Cleanup();
  return 0;
}
