// The reader: opens the book appended to this program in its window. The window is a
// front end that this program carries and loads first; where the libraries it needs are
// missing, the book opens in the user's browser instead. Without a book appended, the
// program says what it is.
#include "launch/bare_reader.h"
#include "launch/browser_reading.h"
#include "launch/front_end_loader.h"
#include "pages/reader_context.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  if (quire::IsBareReader(quire::kOwnProgramFile))
    return quire::RunBareReader(argc, argv);
  // The one reader of the process, whichever way it shows the book; never destroyed, as
  // the process may end from anywhere (a script's EXIT, a signal).
  quire::ReaderContext& context = *new quire::ReaderContext;
  // Its book is this program's own file, known by the path the program was started from.
  context.book.SetFile(quire::kOwnProgramFile, quire::OwnExecutablePath());
  const quire::LoadedFrontEnd front = quire::LoadFrontEnd(quire::EmbeddedFrontEnd());
  if (front.main != nullptr)
    return front.main(context, argc, argv);
  return quire::RunInBrowser(context, front, argc, argv);
}
