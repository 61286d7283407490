// The typed value of one script parameter, and the results every command returns.
#ifndef QUIRE_SCRIPT_SCRIPT_VALUE_H_
#define QUIRE_SCRIPT_SCRIPT_VALUE_H_

#include <cstdint>
#include <string>

namespace quire {

// Command results.
inline constexpr int kCommandContinue = 0;  // carry on with the next command
inline constexpr int kCommandFailed = 1;    // failed; the error text says why; the run stops
inline constexpr int kCommandStop = 2;      // stop the run quietly (END, EXIT)

// Kinds of a ScriptValue; the codes are the ones extension libraries see.
inline constexpr int32_t kValueNone = 0;
inline constexpr int32_t kValueNumber = 1000;
inline constexpr int32_t kValueText = 2000;
inline constexpr int32_t kValueError = -1;

// One parameter after typing: a number (an evaluated expression), a text (quoted or
// literal), an error (the expression failed; `errorMessage` says why) or none (empty).
struct ScriptValue {
  int32_t kind = kValueNone;
  std::string errorMessage;
  std::string textValue;
  int32_t numberValue = 0;

  static ScriptValue Number(int32_t value);
  static ScriptValue Text(std::string value);
  static ScriptValue Error(std::string message);

  bool IsNumber() const { return kind == kValueNumber; }
  // The text reading: the text for a text, the decimal digits (with '-' when negative)
  // for a number, empty otherwise.
  std::string AsText() const;
  // The number reading: the number for a number, else 0.
  int32_t AsNumber() const { return kind == kValueNumber ? numberValue : 0; }
  // The truth reading: a number other than 0.
  bool AsTruth() const { return kind == kValueNumber && numberValue != 0; }
};

}  // namespace quire

#endif  // QUIRE_SCRIPT_SCRIPT_VALUE_H_
