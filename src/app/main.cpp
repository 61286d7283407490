// The reader: opens the book appended to this program in its window.
#include "app/quire_app.h"

int main(int argc, char** argv) {
  quire::CQuireApp app;
  return app.Run(argc, argv);
}
