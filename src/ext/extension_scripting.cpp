#include "ext/extension_scripting.h"

#include <cstring>
#include <memory>

#include "ext/entry_points.h"
#include "ext/host_function.h"
#include "pages/text_replace.h"
#include "platform/text_case.h"
#include "quire/extension.h"

namespace quire {

namespace {

static_assert(kMaxExtensionArguments == PGX_MAX_PARAMS);
static_assert(kMaxExtensionValueLength == PGX_MAX_VALUE_LENGTH);
// The records as a C compiler lays them out on 64-bit Linux: the pointer in PGXParam is
// aligned to 8 bytes, which puts padding after the type and after the number.
static_assert(sizeof(void*) != 8 || sizeof(PGXParam) == 24);
static_assert(sizeof(void*) != 8 || offsetof(PGXParam, text) == 8);
static_assert(sizeof(void*) != 8 || offsetof(PGXParam, number) == 16);
static_assert(offsetof(PGXResult, message) == 4 && sizeof(PGXResult) == 8196);

// The text of a buffer the library filled: up to the first zero, and never more than
// size - 1 bytes even when the library overwrote the terminating zero.
std::string TextOfBuffer(const char* buffer, size_t size) {
  return std::string(buffer, strnlen(buffer, size - 1));
}

constexpr char kMissingCommandEntryPoint[] = "DLL missing PGX_ScriptCommand entry point.";

}  // namespace

std::string ExtensionResultText(int code, const std::string& message,
                                const std::string& commandText) {
  switch (code) {
    case PGX_RESULT_OK:
      return std::string();
    case PGX_RESULT_UNKNOWN_COMMAND:
      return "Syntax error in Pagora Script command.\n\nUnknown command:\n" + commandText;
    case PGX_RESULT_PARAM_COUNT:
      return "Incorrect number of parameters:\n" + commandText;
    case PGX_RESULT_PARAM_TYPE:
      return "Incorrect parameter type:\n" + commandText;
    case PGX_RESULT_MESSAGE:
      return message;
    default:
      return "Error " + std::to_string(code) + ":\n" + commandText;
  }
}

void CExtensionScripting::Register(const LoadedExtension& library, TextEncoding encoding) {
  std::string key;
  if (auto getKey = FindEntryPoint<PGX_ScriptGetKeyFn>(library.module, "PGX_ScriptGetKey")) {
    char buffer[PGX_KEY_SIZE] = {};
    getKey(0, HostFunction(), WindowArgument(m_window), buffer);
    key = TextOfBuffer(buffer, sizeof(buffer));
  }
  // A key is a text of the book's own library: its case follows the book's texts.
  m_lowerKeys.push_back(LowerCased(key, encoding));
  m_upperKeys.push_back(UpperCased(key, encoding));
  m_caches.push_back(CExtensionVarCache{{}, library.module, library.path});
}

bool CExtensionScripting::RunCommand(const std::string& commandText, const std::string& keyword,
                                     const std::vector<ExtensionArgument>& arguments,
                                     std::string* errorText, int* errorFlag) {
  size_t index = 0;
  std::string prefix;
  for (; index < m_upperKeys.size(); ++index) {
    prefix = m_upperKeys[index] + ".";
    if (keyword.compare(0, prefix.size(), prefix) == 0)
      break;
  }
  if (index == m_upperKeys.size())
    return false;
  // "KEY." alone names no command; the executor reports it as unknown.
  if (keyword.size() <= prefix.size())
    return false;

  if (arguments.size() > kMaxExtensionArguments) {
    *errorText = "Too many parameters:\n" + commandText;
    *errorFlag = 1;
    return true;
  }

  // The library gets its own copies: the pointers stay valid until it returns, and a
  // library that writes into them cannot change the script's values.
  std::string name = keyword.substr(prefix.size());
  std::vector<std::string> texts(kMaxExtensionArguments);
  PGXParam params[kMaxExtensionArguments] = {};
  for (size_t j = 0; j < arguments.size(); ++j) {
    const ExtensionArgument& argument = arguments[j];
    if (argument.kind == ExtensionArgument::Kind::kNumber) {
      params[j].type = PGX_PARAM_NUMBER;
      params[j].number = argument.number;
    } else if (argument.kind == ExtensionArgument::Kind::kText) {
      texts[j] = argument.text;
      params[j].type = PGX_PARAM_STRING;
      params[j].text = texts[j].c_str();
    }
  }

  auto result = std::make_unique<PGXResult>();  // value-initialised: all zero
  int flag = 0;
  void* module = m_caches[index].module;
  if (auto command = FindEntryPoint<PGX_ScriptCommandFn>(module, "PGX_ScriptCommand")) {
    command(0, HostFunction(), WindowArgument(m_window), name.c_str(),
            static_cast<int>(arguments.size()), &params[0], &params[1], &params[2], &params[3],
            &params[4], &params[5], &params[6], &params[7], &params[8], &params[9], &flag,
            result.get());
  } else {
    result->code = PGX_RESULT_MESSAGE;
    std::memcpy(result->message, kMissingCommandEntryPoint, sizeof(kMissingCommandEntryPoint));
  }

  const int code = result->code;
  if (code == PGX_RESULT_OK) {
    *errorFlag = 0;
  } else {
    *errorFlag = 1;
    *errorText = ExtensionResultText(code, TextOfBuffer(result->message, sizeof(result->message)),
                                     commandText);
  }
  return true;
}

void CExtensionScripting::ExpandVariables(std::string* text, bool bracketForm) {
  const std::string open = bracketForm ? "[{" : "{";
  const std::string close = bracketForm ? "}]" : "}";
  for (size_t i = 0; i < m_lowerKeys.size(); ++i) {
    const std::string marker = open + m_lowerKeys[i] + ".";
    if (text->find(marker) == std::string::npos)
      continue;
    RefreshCache(&m_caches[i]);
    for (const auto& [name, value] : m_caches[i].variables)
      ReplaceAll(text, marker + name + close, value);
  }
}

void CExtensionScripting::RefreshCache(CExtensionVarCache* cache) {
  cache->variables.clear();
  auto getName = FindEntryPoint<PGX_ScriptGetVarNameFn>(cache->module, "PGX_ScriptGetVarName");
  if (getName == nullptr)
    return;
  auto getLength =
      FindEntryPoint<PGX_ScriptGetVarValueLenFn>(cache->module, "PGX_ScriptGetVarValueLen");
  auto getValue = FindEntryPoint<PGX_ScriptGetVarValueFn>(cache->module, "PGX_ScriptGetVarValue");

  size_t budget = kMaxExtensionCacheBytes;
  int first = 1;
  for (int count = 0; count < kMaxExtensionVariables; ++count) {
    char buffer[PGX_VARNAME_SIZE] = {};
    if (getName(0, HostFunction(), WindowArgument(m_window), first, buffer) == 0)
      break;
    first = 0;
    const std::string name = TextOfBuffer(buffer, sizeof(buffer));

    std::string value;
    if (getLength != nullptr && getValue != nullptr) {
      int length = 0;
      getLength(0, HostFunction(), WindowArgument(m_window), name.c_str(), &length);
      // A negative or absurd length gives an empty value instead of a huge allocation.
      if (length > 0 && static_cast<size_t>(length) <= kMaxExtensionValueLength &&
          static_cast<size_t>(length) <= budget) {
        const size_t size = static_cast<size_t>(length);
        value.assign(size + 1, '\0');
        getValue(0, HostFunction(), WindowArgument(m_window), name.c_str(), value.data());
        value.resize(strnlen(value.data(), size));
        budget -= size;
      }
    }
    cache->variables[name] = std::move(value);
  }
}

}  // namespace quire
