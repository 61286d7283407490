// Script keys, commands and variables of the extension libraries.
//
// Each library claims a key (PGX_ScriptGetKey). Commands written as the upper-case key, a
// point and a name go to it; "{key.name}" (or "[{key.name}]") references, with the key in
// lower case, are answered by it. One scripting object per reader, made on first use
// (ExtensionState::Scripting) and never again once shutdown has destroyed it.
#ifndef QUIRE_EXT_EXTENSION_SCRIPTING_H_
#define QUIRE_EXT_EXTENSION_SCRIPTING_H_

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "book/book_text_encoding.h"
#include "ext/extension_hooks.h"
#include "ext/extension_registry.h"

namespace quire {

class WindowSlot;

// The longest value accepted from one library for one variable, and for all variables of
// one refresh together. Longer values are taken as empty, so a broken library cannot
// make the reader allocate without bound.
inline constexpr size_t kMaxExtensionValueLength = 16u * 1024 * 1024;
inline constexpr size_t kMaxExtensionCacheBytes = 64u * 1024 * 1024;
// A library that keeps naming variables is not asked beyond this many in one refresh.
inline constexpr int kMaxExtensionVariables = 65536;
// The most arguments one extension command takes.
inline constexpr size_t kMaxExtensionArguments = 10;

// One library's variables as last read.
struct CExtensionVarCache {
  std::map<std::string, std::string> variables;
  void* module = nullptr;
  std::string path;
};

class CExtensionScripting {
 public:
  // `window` (not owned, outlives this) is the libraries' main window.
  explicit CExtensionScripting(WindowSlot& window) : m_window(window) {}
  CExtensionScripting(const CExtensionScripting&) = delete;
  CExtensionScripting& operator=(const CExtensionScripting&) = delete;

  // Reads the library's key (empty without PGX_ScriptGetKey) and appends it, in upper and
  // in lower case as `encoding` (the book's) maps it, with an empty variable cache.
  void Register(const LoadedExtension& library, TextEncoding encoding);

  // The command route. False when no key matched, or when the keyword holds nothing after
  // the first matching key's point; otherwise true with `errorFlag` 0 (success) or 1 and
  // `errorText` set. More than ten arguments fail without calling the library.
  bool RunCommand(const std::string& commandText, const std::string& keyword,
                  const std::vector<ExtensionArgument>& arguments, std::string* errorText,
                  int* errorFlag);

  // Replaces the references to each library's variables in `text`, refreshing the
  // library's cache first when the text refers to its key at all.
  void ExpandVariables(std::string* text, bool bracketForm);

  const std::vector<std::string>& UpperKeys() const { return m_upperKeys; }
  const std::vector<std::string>& LowerKeys() const { return m_lowerKeys; }
  const std::vector<CExtensionVarCache>& Caches() const { return m_caches; }

 private:
  void RefreshCache(CExtensionVarCache* cache);

  WindowSlot& m_window;
  // Entry i of the three lists belongs to the same library, in registration order.
  std::vector<std::string> m_upperKeys;
  std::vector<std::string> m_lowerKeys;
  std::vector<CExtensionVarCache> m_caches;
};

// The error text for a library's result code; empty for 0. `message` is the result
// record's text, used only for the code 32767.
std::string ExtensionResultText(int code, const std::string& message,
                                const std::string& commandText);

}  // namespace quire

#endif  // QUIRE_EXT_EXTENSION_SCRIPTING_H_
