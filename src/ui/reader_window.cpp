#include "ui/reader_window.h"

#include "ui/console_window.h"

namespace quire {
namespace {

ReaderWindow* g_installed = nullptr;

ReaderWindow& ConsoleFallback() {
  static ConsoleWindow* console = new ConsoleWindow;  // lives until the process ends
  return *console;
}

}  // namespace

ReaderWindow& TheWindow() {
  return g_installed ? *g_installed : ConsoleFallback();
}

void InstallWindow(ReaderWindow* window) {
  g_installed = window;
}

}  // namespace quire
