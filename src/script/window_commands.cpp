// TEMPORARY placeholder: the window, navigation and application commands replace these bodies.
#include "script/builtin_commands.h"
#include "script/command_support.h"

namespace quire {
namespace {

int NotAvailable(CommandCall& call) {
  call.errorText = std::string(call.keyword) + " is not available yet.";
  return kCommandFailed;
}

}  // namespace

int HandleNavigate(CommandCall& call) {
  return NotAvailable(call);
}
int HandleDisplay(CommandCall& call) {
  return NotAvailable(call);
}
int HandleBack(CommandCall& call) {
  return NotAvailable(call);
}
int HandleForward(CommandCall& call) {
  return NotAvailable(call);
}
int HandleHome(CommandCall& call) {
  return NotAvailable(call);
}
int HandleRefresh(CommandCall& call) {
  return NotAvailable(call);
}
int HandleStop(CommandCall& call) {
  return NotAvailable(call);
}
int HandleAbout(CommandCall& call) {
  return NotAvailable(call);
}
int HandleToc(CommandCall& call) {
  return NotAvailable(call);
}
int HandleSearch(CommandCall& call) {
  return NotAvailable(call);
}
int HandleFont(CommandCall& call) {
  return NotAvailable(call);
}
int HandlePrint(CommandCall& call) {
  return NotAvailable(call);
}
int HandlePrintSetup(CommandCall& call) {
  return NotAvailable(call);
}
int HandleCopy(CommandCall& call) {
  return NotAvailable(call);
}
int HandleSelectAll(CommandCall& call) {
  return NotAvailable(call);
}
int HandleOpen(CommandCall& call) {
  return NotAvailable(call);
}
int HandleRun(CommandCall& call) {
  return NotAvailable(call);
}
int HandleRunMinimized(CommandCall& call) {
  return NotAvailable(call);
}
int HandleRunMaximized(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMaximize(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMinimize(CommandCall& call) {
  return NotAvailable(call);
}
int HandleRestore(CommandCall& call) {
  return NotAvailable(call);
}
int HandleMove(CommandCall& call) {
  return NotAvailable(call);
}
int HandleExit(CommandCall& call) {
  return NotAvailable(call);
}

}  // namespace quire
