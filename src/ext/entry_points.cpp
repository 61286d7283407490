#include "ext/entry_points.h"

#include "ui/window_slot.h"

namespace quire {

void* WindowArgument(const WindowSlot& window) {
  return window->NativeHandle();
}

}  // namespace quire
