// The host function that every extension entry point receives, and that the reader's
// program exports by name so that a library can also look it up.
#ifndef QUIRE_EXT_HOST_FUNCTION_H_
#define QUIRE_EXT_HOST_FUNCTION_H_

#include "quire/extension.h"

extern "C" {
// Offers no services: reads none of its arguments and returns null for any request. The
// caller removes its own arguments, so it may pass any number of them.
PGX_EXPORT void* PGX_HostGetFunc(int request, ...);
}

namespace quire {

// The address handed to every entry point; the same as a lookup of "PGX_HostGetFunc" in
// the running program.
PGXHostGetFunc HostFunction();

}  // namespace quire

#endif  // QUIRE_EXT_HOST_FUNCTION_H_
