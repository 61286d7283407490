// Conditions, loops and subroutines. They keep the control stack balanced also inside
// skipped blocks; loops and subroutines jump by moving the script's next-line index, so
// they need a script file.
#include "script/command_support.h"
#include "script/command_table.h"
#include "script/control_stack.h"
#include "script/script_file.h"

namespace quire {
namespace {

int Fail(CommandCall& call, const char* text) {
  call.errorText = text;
  return kCommandFailed;
}

// False (with the message) when the command runs in a link instead of a script file.
bool RequireScript(CommandCall& call) {
  if (call.script != nullptr)
    return true;
  call.errorText = std::string(call.keyword) + " can only be used in Pagora Script files.";
  return false;
}

int PushIf(CommandCall& call, int32_t taken) {
  if (!call.stack.Push({kEntryIf, taken, 0}))
    return Fail(call, "Stack overflow.");
  return kCommandContinue;
}

// Pops the IF on top for ELSE and ENDIF.
bool PopIf(CommandCall& call, ControlEntry* entry) {
  if (!call.stack.Pop(entry)) {
    call.errorText = "Stack underflow.";
    return false;
  }
  if (entry->kind != kEntryIf) {
    call.errorText = "No matching IF statement.";
    return false;
  }
  return true;
}

// The index of the line that is running now.
int32_t RunningLine(const CommandCall& call) {
  return call.script->NextIndex() - 1;
}

int HandleIf(CommandCall& call) {
  if (!RequireNumber(call, 1))
    return kCommandFailed;
  return PushIf(call, call.Param(1).AsNumber());
}

int HandleIfStrEqual(CommandCall& call) {
  return PushIf(call, call.Param(1).AsText() == call.Param(2).AsText() ? 1 : 0);
}

int HandleIfStrNotEqual(CommandCall& call) {
  return PushIf(call, call.Param(1).AsText() != call.Param(2).AsText() ? 1 : 0);
}

int HandleElse(CommandCall& call) {
  ControlEntry entry;
  if (!PopIf(call, &entry))
    return kCommandFailed;
  entry.taken = entry.taken == 0 ? 1 : 0;
  call.stack.Push(entry);  // room is certain: one entry was just popped
  return kCommandContinue;
}

int HandleEndIf(CommandCall& call) {
  ControlEntry entry;
  return PopIf(call, &entry) ? kCommandContinue : kCommandFailed;
}

int HandleWhile(CommandCall& call) {
  if (!RequireScript(call) || !RequireNumber(call, 1))
    return kCommandFailed;
  // Inside a skipped block the body can never change the condition, so the loop is
  // never taken there; otherwise its WEND would jump back forever.
  const bool taken = call.stack.AllTaken() && call.Param(1).AsTruth();
  if (!call.stack.Push({kEntryWhile, taken ? 1 : 0, RunningLine(call)})) {
    return Fail(call, "Stack overflow.");
  }
  return kCommandContinue;
}

int HandleWend(CommandCall& call) {
  if (!RequireScript(call))
    return kCommandFailed;
  ControlEntry entry;
  if (!call.stack.Pop(&entry) || entry.kind != kEntryWhile) {
    return Fail(call, "No matching WHILE statement.");
  }
  if (entry.taken != 0 && call.stack.AllTaken())
    call.script->SetNextIndex(entry.line);
  return kCommandContinue;
}

int HandleRepeat(CommandCall& call) {
  if (!RequireScript(call))
    return kCommandFailed;
  if (!call.stack.Push({kEntryRepeat, 1, RunningLine(call)}))
    return Fail(call, "Stack overflow.");
  return kCommandContinue;
}

int HandleUntil(CommandCall& call) {
  if (!RequireScript(call) || !RequireNumber(call, 1))
    return kCommandFailed;
  ControlEntry entry;
  if (!call.stack.Pop(&entry) || entry.kind != kEntryRepeat) {
    return Fail(call, "No matching REPEAT statement.");
  }
  // Inside a skipped block the body cannot make the condition true: never jump back.
  if (!call.Param(1).AsTruth() && call.stack.AllTaken())
    call.script->SetNextIndex(entry.line);
  return kCommandContinue;
}

int HandleGosub(CommandCall& call) {
  if (!RequireScript(call))
    return kCommandFailed;
  if (!call.stack.Push({kEntryGosub, 1, call.script->NextIndex()})) {
    return Fail(call, "Stack overflow.");
  }
  const std::string label = call.Param(1).AsText();
  if (!call.script->FindLabel(label)) {
    call.errorText = "Label " + label + " not found.";
    return kCommandFailed;
  }
  return kCommandContinue;
}

int HandleReturn(CommandCall& call) {
  if (!RequireScript(call))
    return kCommandFailed;
  ControlEntry entry;
  do {
    if (!call.stack.Pop(&entry))
      return Fail(call, "Stack underflow.");
  } while (entry.kind != kEntryGosub);
  call.script->SetNextIndex(entry.line);
  return kCommandContinue;
}

int HandleEnd(CommandCall&) {
  return kCommandStop;
}

}  // namespace

std::span<const CommandSpec> ControlCommands() {
  static constexpr CommandSpec kCommands[] = {
      {"IF", 1, 1, kControlFlow, HandleIf},                        // IF(condition)
      {"IFSTREQUAL", 2, 2, kControlFlow, HandleIfStrEqual},        // IFSTREQUAL(a, b)
      {"IFSTRNOTEQUAL", 2, 2, kControlFlow, HandleIfStrNotEqual},  // IFSTRNOTEQUAL(a, b)
      {"ELSE", 0, 0, kControlFlow, HandleElse},
      {"ENDIF", 0, 0, kControlFlow, HandleEndIf},
      {"WHILE", 1, 1, kControlFlow, HandleWhile},  // WHILE(condition)
      {"WEND", 0, 0, kControlFlow, HandleWend},
      {"REPEAT", 0, 0, kControlFlow, HandleRepeat},
      {"UNTIL", 1, 1, kControlFlow, HandleUntil},   // UNTIL(condition)
      {"GOSUB", 1, 1, kPlainCommand, HandleGosub},  // GOSUB(label)
      {"RETURN", 0, 0, kPlainCommand, HandleReturn},
      {"END", 0, 0, kPlainCommand, HandleEnd},
  };
  return kCommands;
}

}  // namespace quire
