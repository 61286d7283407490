// One command line: splitting it into a keyword and parameters, typing each parameter,
// and handing the command to the executor.
//
// Syntax: KEYWORD or KEYWORD(p1, p2, ...). The parameters lie between the first '(' and
// the final ')', which must be the last character. Commas and blanks inside apostrophes
// belong to the parameter; blanks outside are dropped; at most 10 parameters. A parameter
// is 'text' (expanded), ~'literal text' (as it stands) or a numeric expression (expanded,
// then evaluated).
#ifndef QUIRE_SCRIPT_COMMAND_LINE_H_
#define QUIRE_SCRIPT_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

#include "script/script_value.h"

namespace quire {

struct ReaderContext;

class ControlStack;
class ScriptFile;

inline constexpr int kMaxParameters = 10;
// Command texts must be shorter than this many bytes; longer ones are refused.
inline constexpr size_t kMaxCommandText = 4096;

// A command line split but not yet typed.
struct SplitCommand {
  std::string keywordText;  // text before the first '(' (all of it when there is none)
  std::vector<std::string> parameters;
};

// Splits `commandText`. False with the complete message in `errorText` for a missing
// right bracket, an eleventh parameter, unbalanced apostrophes or a text of
// kMaxCommandText bytes or more.
bool SplitCommandLine(const std::string& commandText, SplitCommand* split, std::string* errorText);

// Types one parameter text: kind none when empty after trimming; text for '...' (inner
// part expanded) and ~'...' (inner part as it stands); otherwise the expanded text is
// evaluated as a numeric expression: a number, or an error with the evaluator's message.
ScriptValue ParseParameter(ReaderContext& context, std::string_view text);

// Splits, types and executes one command. Returns kCommandContinue, kCommandFailed (with
// `errorText` set, possibly empty when the failing part showed its own message) or
// kCommandStop. `script` is the running script file, or null for a "##" link. The view's
// in-command flag is set while the command executes and cleared afterwards unless the
// view is gone by then.
int ExecuteCommandLine(ReaderContext& context, ControlStack& stack, const std::string& commandText,
                       std::string* errorText, ScriptFile* script);

}  // namespace quire

#endif  // QUIRE_SCRIPT_COMMAND_LINE_H_
