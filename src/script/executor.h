// Executing commands and running script files.
#ifndef QUIRE_SCRIPT_EXECUTOR_H_
#define QUIRE_SCRIPT_EXECUTOR_H_

#include <string>
#include <vector>

#include "script/script_value.h"

namespace quire {

class ControlStack;
class ScriptFile;
struct ReaderContext;

// Executes one split and typed command. `keywordText` is the text before the '(' (a
// leading "##" and surrounding blanks are dropped here; a bare "##" does nothing).
// Inside a skipped block only the condition and loop keywords run; everything else is
// skipped with kCommandContinue. Built-in keywords are checked against their parameter
// counts and run; other keywords are offered to the extension libraries, and when none
// takes it the result is kCommandFailed with the unknown-command message.
int ExecuteCommand(ReaderContext& context, ControlStack& stack, const std::string& commandText,
                   const std::string& keywordText, const std::vector<ScriptValue>& params,
                   std::string* errorText, ScriptFile* script);

// Loads the script file at `path` and runs it, calling it `displayName` in messages. A
// load failure shows its text (OK, exclamation icon) and runs nothing; a failing line
// shows "Pagora Script error in line N of <displayName>." followed by a blank line and
// the error text when there is one. The extension libraries are told when the run starts
// and ends.
void RunScript(ReaderContext& context, const std::string& path, const std::string& displayName);

// Runs an already loaded script (RunScript after a successful load).
void RunLoadedScript(ReaderContext& context, ScriptFile& script);

}  // namespace quire

#endif  // QUIRE_SCRIPT_EXECUTOR_H_
