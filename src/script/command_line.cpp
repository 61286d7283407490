#include "script/command_line.h"

#include "pages/reader_context.h"
#include "pages/variables.h"
#include "platform/ascii_text.h"
#include "script/executor.h"
#include "script/expression.h"

namespace quire {
namespace {

constexpr std::string_view kSyntaxError = "Syntax error in Pagora Script command.\n";

// The command text without its final ')', as the too-many and end-quote messages show it.
std::string WithoutFinalBracket(const std::string& commandText) {
  return commandText.substr(0, commandText.size() - 1);
}

}  // namespace

bool SplitCommandLine(const std::string& commandText, SplitCommand* split, std::string* errorText) {
  split->keywordText.clear();
  split->parameters.clear();
  if (commandText.size() >= kMaxCommandText) {
    // Refused whole rather than cut: a cut command could do something else entirely.
    *errorText = std::string(kSyntaxError) + "Command too long (" +
                 std::to_string(commandText.size()) + " bytes, the limit is " +
                 std::to_string(kMaxCommandText - 1) + "):\n" + commandText.substr(0, 80) + "...";
    return false;
  }
  const size_t open = commandText.find('(');
  if (open == std::string::npos) {
    split->keywordText = commandText;
    return true;
  }
  split->keywordText = commandText.substr(0, open);
  if (commandText.back() != ')') {
    *errorText = std::string(kSyntaxError) + "Missing right bracket:\n" + commandText;
    return false;
  }
  const size_t close = commandText.size() - 1;
  std::string current;
  bool inQuote = false;
  int commas = 0;
  for (size_t i = open + 1; i < close; ++i) {
    const char c = commandText[i];
    if (c == '\'') {
      inQuote = !inQuote;
      current.push_back(c);
    } else if (c == ',' && !inQuote) {
      if (++commas == kMaxParameters) {
        *errorText =
            std::string(kSyntaxError) + "Too many parameters:\n" + WithoutFinalBracket(commandText);
        return false;
      }
      split->parameters.push_back(std::move(current));
      current.clear();
    } else if (c == ' ' && !inQuote) {
      // Blanks outside quotes are dropped: "(1 + 2)" is "(1+2)".
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty())
    split->parameters.push_back(std::move(current));
  if (inQuote) {
    *errorText =
        std::string(kSyntaxError) + "Missing end quote:\n" + WithoutFinalBracket(commandText);
    return false;
  }
  return true;
}

ScriptValue ParseParameter(ReaderContext& context, std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty())
    return ScriptValue();
  if (trimmed.size() >= 2 && trimmed.front() == '\'' && trimmed.back() == '\'') {
    if (trimmed.size() == 2)
      return ScriptValue::Text(std::string());
    return ScriptValue::Text(
        ExpandVariables(context, std::string(trimmed.substr(1, trimmed.size() - 2)), false));
  }
  if (trimmed.size() >= 3 && trimmed.starts_with("~'") && trimmed.back() == '\'') {
    return ScriptValue::Text(std::string(trimmed.substr(2, trimmed.size() - 3)));
  }
  const ExpressionResult result = EvaluateExpression(
      ExpandVariables(context, std::string(trimmed), false), context.scriptRandom);
  if (result.status != kExprOk)
    return ScriptValue::Error(ExpressionMessage(result.status));
  return ScriptValue::Number(result.value);
}

int ExecuteCommandLine(ReaderContext& context, ControlStack& stack, const std::string& commandText,
                       std::string* errorText, ScriptFile* script) {
  errorText->clear();
  SplitCommand split;
  if (!SplitCommandLine(commandText, &split, errorText))
    return kCommandFailed;

  std::vector<ScriptValue> values;
  values.reserve(split.parameters.size());
  for (const std::string& parameter : split.parameters) {
    ScriptValue value = ParseParameter(context, parameter);
    if (value.kind == kValueError) {
      *errorText = value.errorMessage;
      return kCommandFailed;
    }
    if (value.kind == kValueNone) {
      *errorText = "Internal parameter parsing error.";
      return kCommandFailed;
    }
    values.push_back(std::move(value));
  }

  if (context.window->HasView())
    context.window->SetInCommand(true);
  const int result =
      ExecuteCommand(context, stack, commandText, split.keywordText, values, errorText, script);
  // EXIT may have closed the window meanwhile; a view that is gone is left alone.
  ReaderWindow& window = *context.window;
  if (window.HasView())
    window.SetInCommand(false);
  return result;
}

}  // namespace quire
