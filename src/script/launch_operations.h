// The launch operations books use: start a program or open a document, and tell the user
// in the reader's fixed wording (OK button, exclamation icon) when that fails.
#ifndef QUIRE_SCRIPT_LAUNCH_OPERATIONS_H_
#define QUIRE_SCRIPT_LAUNCH_OPERATIONS_H_

#include <string>

#include "platform/launcher.h"

namespace quire {

class ReaderWindow;

// Starts `commandLine` (StartProgram). True when it was started; otherwise shows
// "Can't start <line>, as the file was not found." (or the wording that fits the start
// result, RunFailureMessage) and returns false. `showMode` is accepted and ignored: a
// Linux program chooses its own window state. Messages go to `window`.
bool RunProgram(ReaderWindow& window, const std::string& commandLine, int showMode = kShowNormal);

// Opens a document path or an address with the desktop's default handler (StartOpener)
// and waits for the opener's answer through the window (ReaderWindow::WaitForChild), at
// most kOpenerWaitMs, so the user interface keeps running meanwhile; an opener still busy
// by then counts as success. True when it opened; otherwise shows "The web page could
// not be opened. ..." with the reason when one is known (OpenFailureMessage) and returns
// false.
bool OpenDocument(ReaderWindow& window, const std::string& target);

}  // namespace quire

#endif  // QUIRE_SCRIPT_LAUNCH_OPERATIONS_H_
