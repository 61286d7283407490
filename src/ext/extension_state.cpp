#include "ext/extension_state.h"

#include "ext/extension_registry.h"
#include "ext/extension_scripting.h"
#include "pages/reader_context.h"

namespace quire {

ExtensionState::ExtensionState(WindowSlot& slot) : window(slot) {}

ExtensionState::~ExtensionState() {
  registry.reset();
  scripting.reset();
}

CExtensionRegistry* ExtensionState::Registry() {
  if (registry == nullptr && !shutDown)
    registry = std::make_unique<CExtensionRegistry>(window);
  return registry.get();
}

CExtensionScripting* ExtensionState::Scripting() {
  if (scripting == nullptr && !shutDown)
    scripting = std::make_unique<CExtensionScripting>(window);
  return scripting.get();
}

void ExtensionState::ShutDown() {
  registry.reset();
  scripting.reset();
  shutDown = true;
}

ExtensionState& ExtensionsOf(ReaderContext& context) {
  if (context.extensions == nullptr)
    context.extensions = std::make_shared<ExtensionState>(context.window);
  return *context.extensions;
}

}  // namespace quire
