#include "ext/entry_points.h"

#include "ui/reader_window.h"

namespace quire {

void* WindowArgument() {
  return TheWindow().NativeHandle();
}

}  // namespace quire
