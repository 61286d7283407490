// The vocabulary of built-in commands: keyword, accepted parameter counts and handler.
//
// The executor looks a keyword up here, checks the parameter count against the entry
// (a wrong count never reaches the handler) and calls the handler with a CommandCall.
// Each *_commands.cpp lists its own keywords beside their handlers, in a table at its end;
// this table only gathers those lists.
#ifndef QUIRE_SCRIPT_COMMAND_TABLE_H_
#define QUIRE_SCRIPT_COMMAND_TABLE_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"

namespace quire {

class ControlStack;
class ScriptFile;
struct ReaderContext;

// Everything a handler gets for one command.
struct CommandCall {
  // The reader the command works on: its book, page store, window and the file calls
  // (`context.env`).
  ReaderContext& context;
  // The command as written (in a link: the piece with its leading "##"), for messages.
  const std::string& commandText;
  // The keyword as matched, e.g. "STRMID".
  std::string_view keyword;
  // The typed parameters; none of them is of kind error or none.
  const std::vector<ScriptValue>& params;
  // Set it when returning kCommandFailed (an empty text is allowed: the failing part has
  // shown its own message). It is empty when the handler is called.
  std::string& errorText;
  // The run's control stack.
  ControlStack& stack;
  // The running script file, or null in a "##" link.
  ScriptFile* script;

  // Parameter `position` counting from 1; the executor guarantees it exists when the
  // position is within the entry's count.
  const ScriptValue& Param(int position) const { return params[position - 1]; }
  int Count() const { return static_cast<int>(params.size()); }
};

// Returns kCommandContinue, kCommandFailed (with `call.errorText` set) or kCommandStop.
using CommandHandler = int (*)(CommandCall& call);

struct CommandSpec {
  std::string_view keyword;
  int minParams;
  int maxParams;
  // Control-flow keywords run also inside a skipped block, to keep the nesting balanced.
  bool runsWhenSkipped;
  CommandHandler handler;
};

// The values of CommandSpec::runsWhenSkipped.
inline constexpr bool kControlFlow = true;
inline constexpr bool kPlainCommand = false;

// The lists of the files that define commands, in the order the table gathers them.
std::span<const CommandSpec> ControlCommands();  // control_commands.cpp: IF, WHILE, GOSUB, ...
std::span<const CommandSpec> StringCommands();   // string_commands.cpp: SET, STR...
std::span<const CommandSpec> FileCommands();     // file_commands.cpp: files, INI, dialogs
std::span<const CommandSpec> WindowCommands();   // window_commands.cpp: window, navigation

// The entry of `keyword` (exact, case-sensitive match), or null when it is not built in.
const CommandSpec* FindCommand(std::string_view keyword);

// Every entry, for tests and listings.
const std::vector<CommandSpec>& AllCommands();

}  // namespace quire

#endif  // QUIRE_SCRIPT_COMMAND_TABLE_H_
