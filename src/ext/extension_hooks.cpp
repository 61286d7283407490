#include "ext/extension_hooks.h"

#include "ext/extension_loader.h"
#include "ext/extension_registry.h"
#include "ext/extension_scripting.h"
#include "ext/extension_state.h"
#include "pages/reader_context.h"

namespace quire {

void LoadExtensions(ReaderContext& context) {
  LoadExtensionsFrom(context, context.store.BookFolder());
}

namespace {

// The registry if one exists; never makes one.
const CExtensionRegistry* ExistingRegistry(const ReaderContext& context) {
  return context.extensions != nullptr ? context.extensions->registry.get() : nullptr;
}

}  // namespace

void NotifyScriptInit(ReaderContext& context) {
  if (const CExtensionRegistry* registry = ExistingRegistry(context))
    registry->NotifyScriptInit();
}

void NotifyScriptExit(ReaderContext& context) {
  if (const CExtensionRegistry* registry = ExistingRegistry(context))
    registry->NotifyScriptExit();
}

void UnloadExtensions(ReaderContext& context) {
  UnloadExtensionsAndDeleteFiles(context);
}

bool RunExtensionCommand(ReaderContext& context, const std::string& commandText,
                         const std::string& keyword,
                         const std::vector<ExtensionArgument>& arguments, std::string* errorText,
                         int* errorFlag) {
  CExtensionScripting* scripting = ExtensionsOf(context).Scripting();
  if (scripting == nullptr)
    return false;
  return scripting->RunCommand(commandText, keyword, arguments, errorText, errorFlag);
}

void ExpandExtensionVariables(ReaderContext& context, std::string* text, bool bracketForm) {
  if (CExtensionScripting* scripting = ExtensionsOf(context).Scripting())
    scripting->ExpandVariables(text, bracketForm);
}

}  // namespace quire
