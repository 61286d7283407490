#include "script/script_links.h"

#include "ext/extension_hooks.h"
#include "pages/reader_context.h"
#include "pages/variables.h"
#include "platform/ascii_text.h"
#include "script/command_line.h"
#include "script/control_stack.h"
#include "script/executor.h"
#include "script/launch_operations.h"

namespace quire {

std::vector<std::string> SplitLinkCommands(const std::string& link) {
  std::vector<std::string> pieces;
  size_t start = link.find("##");
  if (start == std::string::npos)
    return pieces;
  // Each piece runs up to the next "##" found from its second character on; quotes are
  // not looked at, so a parameter cannot hold "##".
  while (start < link.size()) {
    size_t next = link.find("##", start + 1);
    if (next == std::string::npos)
      next = link.size();
    pieces.push_back(link.substr(start, next - start));
    start = next;
  }
  return pieces;
}

bool RunLinkCommands(ReaderContext& context, const std::string& link) {
  const std::vector<std::string> pieces = SplitLinkCommands(link);
  if (pieces.empty())
    return false;
  ControlStack stack;
  NotifyScriptInit(context);
  std::string errorText;
  for (const std::string& piece : pieces) {
    errorText.clear();
    const int result = ExecuteCommandLine(context, stack, piece, &errorText, nullptr);
    if (result == kCommandContinue)
      continue;
    // An empty text means the failing part has shown its own message already.
    if (result == kCommandFailed && !errorText.empty()) {
      context.window->MessageBox(errorText, kMbOk | kMbIconExclamation);
    }
    break;
  }
  NotifyScriptExit(context);
  return true;
}

bool RunScriptLink(ReaderContext& context, const std::string& link) {
  std::string path;
  std::string displayName;
  if (size_t at = link.find("#@"); at != std::string::npos) {
    path = ExpandVariables(context, link.substr(at + 2), false);
    displayName = path;
  } else if (size_t bang = link.find("#!"); bang != std::string::npos) {
    // A bare "#!" still names a path (the book folder itself), so the author of the broken
    // link sees the open error instead of a click that silently does nothing.
    displayName = link.substr(bang + 2);
    path = context.store.BookFolder() + displayName;
  }
  if (path.empty())
    return false;
  RunScript(context, path, displayName);
  return true;
}

bool RunBookCommand(ReaderContext& context, const std::string& text) {
  const std::string trimmed(Trim(text));
  if (trimmed.empty())
    return true;
  if (trimmed.starts_with("##"))
    return RunLinkCommands(context, trimmed);
  if (trimmed.starts_with("#!") || trimmed.starts_with("#@"))
    return RunScriptLink(context, trimmed);
  return RunProgram(*context.window, ExpandVariables(context, trimmed, false), kShowNormal);
}

}  // namespace quire
