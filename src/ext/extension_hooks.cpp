// TEMPORARY placeholder until the extension registry lands: no library is ever loaded.
#include "ext/extension_hooks.h"

namespace quire {

void LoadExtensions() {}
void NotifyScriptInit() {}
void NotifyScriptExit() {}
void UnloadExtensions() {}
bool RunExtensionCommand(const std::string&, const std::string&,
                         const std::vector<ExtensionArgument>&, std::string*, int*) {
  return false;
}
void ExpandExtensionVariables(std::string*, bool) {}

}  // namespace quire
