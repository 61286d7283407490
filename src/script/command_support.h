// Conventions every built-in command handler shares: the count error, numeric parameter
// checks, runtime refusals and storing results in user variables.
#ifndef QUIRE_SCRIPT_COMMAND_SUPPORT_H_
#define QUIRE_SCRIPT_COMMAND_SUPPORT_H_

#include <string>
#include <string_view>

#include "script/command_table.h"

namespace quire {

inline constexpr std::string_view kRuntimeErrorPrefix =
    "Runtime error in Pagora Script command:\n\n";

// Sets "Incorrect number of parameters:\n" + command text; returns kCommandFailed.
int CountError(CommandCall& call);

// True when parameter `position` (from 1) is a number. Otherwise sets "Numerical
// expression required as parameter N:\n" + command text and returns false.
bool RequireNumber(CommandCall& call, int position);

// Sets the runtime refusal "Runtime error in Pagora Script command:\n\n" + keyword +
// " - " + `detail`; returns kCommandFailed.
int RuntimeError(CommandCall& call, std::string_view detail);

// Stores `value` in the user variable `name`. True when stored; on refusal sets the
// runtime refusal with the variable store's message and returns false.
bool StoreVariable(CommandCall& call, const std::string& name, const std::string& value);

// Stores `value` in the variable named by the text of parameter 1 and returns
// kCommandContinue, or kCommandFailed with the refusal.
int StoreResult(CommandCall& call, const std::string& value);

}  // namespace quire

#endif  // QUIRE_SCRIPT_COMMAND_SUPPORT_H_
