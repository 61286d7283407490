// The book without its window: where the window front end cannot be loaded (GTK or
// WebKitGTK missing), the book is extracted as usual and its start page handed to the
// desktop's opener, so the user's browser shows it. One notice says why and what to
// install; the pages stay until the notice is closed, a signal asks the program to end,
// or the time limit has passed, and then everything written goes.
#ifndef QUIRE_LAUNCH_BROWSER_READING_H_
#define QUIRE_LAUNCH_BROWSER_READING_H_

#include "launch/front_end_loader.h"

namespace quire {

struct ReaderContext;

// Runs the book in the browser after `failed` could not be loaded; returns the exit code.
// No display at all ends with the same message and code as the window's start.
int RunInBrowser(ReaderContext& context, const LoadedFrontEnd& failed, int argc, char** argv);

}  // namespace quire

#endif  // QUIRE_LAUNCH_BROWSER_READING_H_
