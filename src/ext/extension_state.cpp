#include "ext/extension_state.h"

namespace quire {

ExtensionState& TheExtensionState() {
  static ExtensionState* state = new ExtensionState;  // lives until the process ends
  return *state;
}

}  // namespace quire
