// The front end's entry point, which the reader program calls once it has loaded it.
#include "app/quire_app.h"
#include "launch/front_end.h"

extern "C" __attribute__((visibility("default"))) int QuireFrontMain(quire::ReaderContext& context,
                                                                     int argc, char** argv) {
  static_assert(std::is_same_v<decltype(&QuireFrontMain), quire::FrontEndMain>);
  quire::CQuireApp app(context);
  return app.Run(argc, argv);
}
