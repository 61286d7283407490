// The reader: opens the book appended to this program in its window. The window is a
// front end that this program carries and loads first; where the libraries it needs are
// missing, the book opens in the user's browser instead.
#include "launch/browser_reading.h"
#include "launch/front_end_loader.h"

int main(int argc, char** argv) {
  const quire::LoadedFrontEnd front = quire::LoadFrontEnd(quire::EmbeddedFrontEnd());
  if (front.main != nullptr)
    return front.main(argc, argv);
  return quire::RunInBrowser(front, argc, argv);
}
