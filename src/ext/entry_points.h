// Finding and calling the exported entry points of a loaded extension library.
#ifndef QUIRE_EXT_ENTRY_POINTS_H_
#define QUIRE_EXT_ENTRY_POINTS_H_

#include <dlfcn.h>

#include <cstring>

#include "quire/extension.h"

namespace quire {

class WindowSlot;

// The exported function `name` of `module` as a `Fn`, or null when the library does not
// export it.
template <typename Fn>
Fn FindEntryPoint(void* module, const char* name) {
  if (module == nullptr)
    return nullptr;
  void* address = dlsym(module, name);
  Fn function = nullptr;
  static_assert(sizeof(function) == sizeof(address));
  std::memcpy(&function, &address, sizeof(function));
  return function;
}

// The third argument of every entry point: the main window of `window` as a native
// pointer, null while the frame does not exist.
void* WindowArgument(const WindowSlot& window);

}  // namespace quire

#endif  // QUIRE_EXT_ENTRY_POINTS_H_
