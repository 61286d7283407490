#include "ext/host_function.h"

// Variadic without va_start: the callee touches neither the argument registers nor the
// stack, so a caller that passes nothing, an index, a name or anything else is safe.
extern "C" PGX_EXPORT void* PGX_HostGetFunc(int, ...) {
  return nullptr;
}

namespace quire {

PGXHostGetFunc HostFunction() {
  return &PGX_HostGetFunc;
}

}  // namespace quire
