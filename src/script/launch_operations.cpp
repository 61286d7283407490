#include "script/launch_operations.h"

#include <optional>

#include "ui/reader_window.h"

namespace quire {
namespace {

void ShowLaunchMessage(const std::string& text) {
  TheWindow().MessageBox(text, kMbOk | kMbIconExclamation);
}

}  // namespace

bool RunProgram(const std::string& commandLine, int showMode) {
  (void)showMode;
  const ProgramStart start = StartProgram(commandLine);
  if (start.started)
    return true;
  ShowLaunchMessage(RunFailureMessage(commandLine, start.startResult));
  return false;
}

bool OpenDocument(const std::string& target) {
  const OpenerStart opener = StartOpener(target);
  int result = opener.shellResult;
  if (opener.Running()) {
    const std::optional<int> status = TheWindow().WaitForChild(opener.pid, kOpenerWaitMs);
    result = status ? OpenerResult(opener, *status) : AbandonOpener(opener);
  }
  if (result >= kOpened)
    return true;
  ShowLaunchMessage(OpenFailureMessage(result));
  return false;
}

}  // namespace quire
