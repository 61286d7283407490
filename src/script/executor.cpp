#include "script/executor.h"

#include "ext/extension_hooks.h"
#include "pages/reader_context.h"
#include "platform/ascii_text.h"
#include "script/command_line.h"
#include "script/command_support.h"
#include "script/command_table.h"
#include "script/control_stack.h"
#include "script/script_file.h"

namespace quire {
namespace {

std::string_view KeywordOf(std::string_view keywordText) {
  if (keywordText.starts_with("##"))
    keywordText.remove_prefix(2);
  return Trim(keywordText);
}

int RunExtension(ReaderContext& context, const std::string& commandText, std::string_view keyword,
                 const std::vector<ScriptValue>& params, std::string* errorText) {
  std::vector<ExtensionArgument> arguments;
  arguments.reserve(params.size());
  for (const ScriptValue& value : params) {
    ExtensionArgument argument;
    if (value.kind == kValueNumber) {
      argument.kind = ExtensionArgument::Kind::kNumber;
      argument.number = value.numberValue;
    } else if (value.kind == kValueText) {
      argument.kind = ExtensionArgument::Kind::kText;
      argument.text = value.textValue;
    }
    arguments.push_back(std::move(argument));
  }
  int flag = kCommandContinue;
  if (!RunExtensionCommand(context, commandText, std::string(keyword), arguments, errorText,
                           &flag)) {
    *errorText = "Syntax error in Pagora Script command.\n\nUnknown command:\n" + commandText;
    return kCommandFailed;
  }
  // A library may only answer with the three results; anything else counts as failed.
  if (flag == kCommandContinue || flag == kCommandStop)
    return flag;
  return kCommandFailed;
}

}  // namespace

int ExecuteCommand(ReaderContext& context, ControlStack& stack, const std::string& commandText,
                   const std::string& keywordText, const std::vector<ScriptValue>& params,
                   std::string* errorText, ScriptFile* script) {
  if (keywordText == "##")
    return kCommandContinue;
  const std::string_view keyword = KeywordOf(keywordText);
  const CommandSpec* command = FindCommand(keyword);
  const bool executing = stack.AllTaken();
  if (!executing && (command == nullptr || !command->runsWhenSkipped))
    return kCommandContinue;
  if (command == nullptr)
    return RunExtension(context, commandText, keyword, params, errorText);

  CommandCall call{context, commandText, command->keyword, params, *errorText, stack, script};
  const int count = call.Count();
  if (count < command->minParams || count > command->maxParams)
    return CountError(call);
  return command->handler(call);
}

void RunScript(ReaderContext& context, const std::string& path, const std::string& displayName) {
  ScriptFile script = ScriptFile::Load(path, displayName);
  if (script.LoadFailed()) {
    context.window->MessageBox(script.LoadError(), kMbOk | kMbIconExclamation);
    return;
  }
  RunLoadedScript(context, script);
}

void RunLoadedScript(ReaderContext& context, ScriptFile& script) {
  ControlStack stack;
  NotifyScriptInit(context);
  std::string errorText;
  int lineNumber = 0;
  while (const std::string* line = script.NextLine(&lineNumber)) {
    errorText.clear();
    const int result = ExecuteCommandLine(context, stack, *line, &errorText, &script);
    if (result == kCommandContinue)
      continue;
    if (result == kCommandFailed) {
      std::string message = "Pagora Script error in line " + std::to_string(lineNumber) + " of " +
                            script.DisplayName() + ".";
      if (!errorText.empty())
        message += "\n\n" + errorText;
      context.window->MessageBox(message, kMbOk | kMbIconExclamation);
    }
    break;
  }
  NotifyScriptExit(context);
}

}  // namespace quire
