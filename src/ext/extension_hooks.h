// What the rest of the core asks of the extension libraries. Each call is harmless when
// no library is loaded.
#ifndef QUIRE_EXT_EXTENSION_HOOKS_H_
#define QUIRE_EXT_EXTENSION_HOOKS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace quire {

struct ReaderContext;

// One argument of an extension command, as the executor parsed it.
struct ExtensionArgument {
  enum class Kind { kNone = 0, kNumber = 1, kText = 2 };
  Kind kind = Kind::kNone;
  int32_t number = 0;
  std::string text;
};

// Loads every "__pxa__*" library of the book folder (start-up, after extraction).
void LoadExtensions(ReaderContext& context);
// Around every command link and script run.
void NotifyScriptInit(ReaderContext& context);
void NotifyScriptExit(ReaderContext& context);
// Tells the libraries to exit, unloads them and deletes their files (shutdown cleanup).
void UnloadExtensions(ReaderContext& context);

// Offers a command the executor does not know to the library whose key it names. True
// when a library took it; `errorFlag` and `errorText` then tell the outcome. False when
// no key matched (the executor reports the unknown command).
bool RunExtensionCommand(ReaderContext& context, const std::string& commandText,
                         const std::string& keyword,
                         const std::vector<ExtensionArgument>& arguments, std::string* errorText,
                         int* errorFlag);

// Replaces {key.name} references (or [{key.name}] when `bracketForm`) in `text`.
void ExpandExtensionVariables(ReaderContext& context, std::string* text, bool bracketForm);

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_HOOKS_H_
