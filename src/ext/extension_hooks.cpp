#include "ext/extension_hooks.h"

#include "ext/extension_loader.h"
#include "ext/extension_registry.h"
#include "ext/extension_scripting.h"
#include "pages/reader_context.h"

namespace quire {

void LoadExtensions(ReaderContext& context) {
  LoadExtensionsFrom(context, context.store.BookFolder());
}

void NotifyScriptInit() {
  if (const CExtensionRegistry* registry = CExtensionRegistry::Existing())
    registry->NotifyScriptInit();
}

void NotifyScriptExit() {
  if (const CExtensionRegistry* registry = CExtensionRegistry::Existing())
    registry->NotifyScriptExit();
}

void UnloadExtensions(ReaderContext& context) {
  UnloadExtensionsAndDeleteFiles(context);
}

bool RunExtensionCommand(const std::string& commandText, const std::string& keyword,
                         const std::vector<ExtensionArgument>& arguments, std::string* errorText,
                         int* errorFlag) {
  CExtensionScripting* scripting = CExtensionScripting::Instance();
  if (scripting == nullptr)
    return false;
  return scripting->RunCommand(commandText, keyword, arguments, errorText, errorFlag);
}

void ExpandExtensionVariables(std::string* text, bool bracketForm) {
  if (CExtensionScripting* scripting = CExtensionScripting::Instance())
    scripting->ExpandVariables(text, bracketForm);
}

}  // namespace quire
