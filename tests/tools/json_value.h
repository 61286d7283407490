// A small JSON reader for checking what `quire-pack list --json` prints.
#ifndef QUIRE_TESTS_TOOLS_JSON_VALUE_H_
#define QUIRE_TESTS_TOOLS_JSON_VALUE_H_

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quire::testing {

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  int64_t number = 0;
  std::string text;
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  // Member `key` of an object; a null value when absent.
  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](size_t index) const;
  bool Has(const std::string& key) const { return members.count(key) != 0; }
};

// Parses a whole document (integers only, which is all quire-pack prints); nullopt when
// it is not valid JSON.
std::optional<JsonValue> ParseJson(const std::string& text);

}  // namespace quire::testing

#endif  // QUIRE_TESTS_TOOLS_JSON_VALUE_H_
