// Loading the window front end from the bytes the program carries.
#ifndef QUIRE_LAUNCH_FRONT_END_LOADER_H_
#define QUIRE_LAUNCH_FRONT_END_LOADER_H_

#include <string>
#include <string_view>

#include "launch/front_end.h"

namespace quire {

struct LoadedFrontEnd {
  FrontEndMain main = nullptr;  // null when it could not be loaded
  std::string error;            // then the loader's text (dlerror)
  std::string loadPath;         // the name it was loaded under, for reading `error`
};

// The front end inside this program (defined where the program embeds it).
std::string_view EmbeddedFrontEnd();

// Loads the shared object `image` and finds its entry point. It is loaded from an
// anonymous memory file; where that cannot be made, from a file in the private temporary
// folder that is removed again at once. A library it needs that is missing comes back as
// the loader's error text, which names it. `memoryFile` false goes straight to the
// temporary file (tests).
LoadedFrontEnd LoadFrontEnd(std::string_view image, bool memoryFile = true);

}  // namespace quire

#endif  // QUIRE_LAUNCH_FRONT_END_LOADER_H_
