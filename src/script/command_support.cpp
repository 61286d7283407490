#include "script/command_support.h"

#include "pages/reader_context.h"
#include "pages/variables.h"

namespace quire {

int CountError(CommandCall& call) {
  call.errorText = "Incorrect number of parameters:\n" + call.commandText;
  return kCommandFailed;
}

bool RequireNumber(CommandCall& call, int position) {
  if (position >= 1 && position <= call.Count() && call.Param(position).IsNumber())
    return true;
  call.errorText = "Numerical expression required as parameter " + std::to_string(position) +
                   ":\n" + call.commandText;
  return false;
}

int RuntimeError(CommandCall& call, std::string_view detail) {
  call.errorText.assign(kRuntimeErrorPrefix);
  call.errorText.append(call.keyword);
  call.errorText.append(" - ");
  call.errorText.append(detail);
  return kCommandFailed;
}

bool StoreVariable(CommandCall& call, const std::string& name, const std::string& value) {
  std::string message;
  if (DefineVariable(call.context.book, name, value, &message))
    return true;
  RuntimeError(call, message);
  return false;
}

int StoreResult(CommandCall& call, const std::string& value) {
  return StoreVariable(call, call.Param(1).AsText(), value) ? kCommandContinue : kCommandFailed;
}

}  // namespace quire
