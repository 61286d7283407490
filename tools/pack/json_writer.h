// A small JSON writer for `quire-pack list --json`: objects and arrays written in order,
// two-space indentation. Texts from books are byte strings; valid UTF-8 is written as it
// is, anything else is read as Windows-1252 (as the reader shows such texts), so the
// output is always valid UTF-8 JSON.
#ifndef QUIRE_TOOLS_PACK_JSON_WRITER_H_
#define QUIRE_TOOLS_PACK_JSON_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

class JsonWriter {
 public:
  void BeginObject(std::string_view key = {});
  void EndObject();
  void BeginArray(std::string_view key = {});
  void EndArray();
  void String(std::string_view key, std::string_view value);
  void Number(std::string_view key, int64_t value);
  void Bool(std::string_view key, bool value);
  void Null(std::string_view key);
  // An array element (key empty).
  void Number(int64_t value) { Number({}, value); }

  // The document, ending with a line break.
  std::string Text() const { return m_out + "\n"; }

 private:
  void Prefix(std::string_view key);
  std::vector<bool> m_first;  // per open container: nothing written in it yet
  std::string m_out;
};

// A JSON string literal for `bytes`, quotes included.
std::string JsonQuote(std::string_view bytes);

// `bytes` as UTF-8: unchanged when valid, else each byte read as Windows-1252.
std::string ToUtf8(std::string_view bytes);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_JSON_WRITER_H_
