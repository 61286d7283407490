#include "script/launch_operations.h"

#include <optional>

#include "ui/reader_window.h"

namespace quire {
namespace {

void ShowLaunchMessage(ReaderWindow& window, const std::string& text) {
  window.MessageBox(text, kMbOk | kMbIconExclamation);
}

}  // namespace

bool RunProgram(ReaderWindow& window, const std::string& commandLine, int showMode) {
  (void)showMode;
  const ProgramStart start = StartProgram(commandLine);
  if (start.started)
    return true;
  ShowLaunchMessage(window, RunFailureMessage(commandLine, start.startResult));
  return false;
}

bool OpenDocument(ReaderWindow& window, const std::string& target) {
  const OpenerStart opener = StartOpener(target);
  int result = opener.shellResult;
  if (opener.Running()) {
    const std::optional<int> status = window.WaitForChild(opener.pid, kOpenerWaitMs);
    result = status ? OpenerResult(opener, *status) : AbandonOpener(opener);
  }
  if (result >= kOpened)
    return true;
  ShowLaunchMessage(window, OpenFailureMessage(result));
  return false;
}

}  // namespace quire
