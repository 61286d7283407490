// TEMPORARY placeholder: the file, INI and dialog commands replace these bodies.
#include "script/builtin_commands.h"
#include "script/command_support.h"

namespace quire {
namespace {

int NotAvailable(CommandCall& call) {
  call.errorText = std::string(call.keyword) + " is not available yet.";
  return kCommandFailed;
}

}  // namespace

int HandleFileExist(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFileCopy(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFileWrite(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFileRead(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFileSavePrompt(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFileSavePrompt2(CommandCall& call) {
  return NotAvailable(call);
}
int HandleIniRead(CommandCall& call) {
  return NotAvailable(call);
}
int HandleIniWrite(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMessageBox(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMessageBox2(CommandCall& call) {
  return NotAvailable(call);
}
int HandleOutputDebugString(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMessageBeep(CommandCall& call) {
  return NotAvailable(call);
}

}  // namespace quire
