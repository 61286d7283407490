#include "script/script_value.h"

#include <utility>

namespace quire {

ScriptValue ScriptValue::Number(int32_t value) {
  ScriptValue result;
  result.kind = kValueNumber;
  result.numberValue = value;
  return result;
}

ScriptValue ScriptValue::Text(std::string value) {
  ScriptValue result;
  result.kind = kValueText;
  result.textValue = std::move(value);
  return result;
}

ScriptValue ScriptValue::Error(std::string message) {
  ScriptValue result;
  result.kind = kValueError;
  result.errorMessage = std::move(message);
  return result;
}

std::string ScriptValue::AsText() const {
  if (kind == kValueText)
    return textValue;
  if (kind == kValueNumber)
    return std::to_string(numberValue);
  return std::string();
}

}  // namespace quire
