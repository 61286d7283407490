#include "tools/json_value.h"

#include <cctype>

namespace quire::testing {

namespace {

const JsonValue& Null() {
  static const JsonValue kNull;
  return kNull;
}

class Parser {
 public:
  explicit Parser(const std::string& text) : m_text(text) {}

  bool Document(JsonValue* out) {
    if (!Value(out))
      return false;
    Skip();
    return m_pos == m_text.size();
  }

 private:
  void Skip() {
    while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
      ++m_pos;
    }
  }
  bool Eat(char c) {
    Skip();
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
      ++m_pos;
      return true;
    }
    return false;
  }
  bool Word(const char* word) {
    std::string w(word);
    if (m_text.compare(m_pos, w.size(), w) != 0)
      return false;
    m_pos += w.size();
    return true;
  }
  bool String(std::string* out) {
    if (!Eat('"'))
      return false;
    while (m_pos < m_text.size()) {
      char c = m_text[m_pos++];
      if (c == '"')
        return true;
      if (c != '\\') {
        out->push_back(c);
        continue;
      }
      if (m_pos >= m_text.size())
        return false;
      char e = m_text[m_pos++];
      switch (e) {
        case 'n':
          out->push_back('\n');
          break;
        case 'r':
          out->push_back('\r');
          break;
        case 't':
          out->push_back('\t');
          break;
        case '"':
          out->push_back('"');
          break;
        case '\\':
          out->push_back('\\');
          break;
        case '/':
          out->push_back('/');
          break;
        case 'u': {
          if (m_pos + 4 > m_text.size())
            return false;
          unsigned cp = std::stoul(m_text.substr(m_pos, 4), nullptr, 16);
          m_pos += 4;
          if (cp >= 0x80)
            return false;  // quire-pack escapes control characters only
          out->push_back(static_cast<char>(cp));
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }
  bool Value(JsonValue* out) {
    Skip();
    if (m_pos >= m_text.size())
      return false;
    char c = m_text[m_pos];
    if (c == '{') {
      ++m_pos;
      out->kind = JsonValue::Kind::kObject;
      if (Eat('}'))
        return true;
      do {
        std::string key;
        JsonValue v;
        Skip();
        if (!String(&key) || !Eat(':') || !Value(&v))
          return false;
        out->members[key] = v;
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++m_pos;
      out->kind = JsonValue::Kind::kArray;
      if (Eat(']'))
        return true;
      do {
        JsonValue v;
        if (!Value(&v))
          return false;
        out->items.push_back(v);
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') {
      out->kind = JsonValue::Kind::kString;
      return String(&out->text);
    }
    if (Word("true") || Word("false")) {
      out->kind = JsonValue::Kind::kBool;
      out->boolean = m_text[m_pos - 1] == 'e' && m_text[m_pos - 2] == 'u';
      return true;
    }
    if (Word("null"))
      return true;
    size_t start = m_pos;
    if (c == '-')
      ++m_pos;
    while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
      ++m_pos;
    }
    if (m_pos == start || (c == '-' && m_pos == start + 1))
      return false;
    out->kind = JsonValue::Kind::kNumber;
    out->number = std::stoll(m_text.substr(start, m_pos - start));
    return true;
  }

  const std::string& m_text;
  size_t m_pos = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  auto it = members.find(key);
  return it == members.end() ? Null() : it->second;
}

const JsonValue& JsonValue::operator[](size_t index) const {
  return index < items.size() ? items[index] : Null();
}

std::optional<JsonValue> ParseJson(const std::string& text) {
  JsonValue value;
  if (!Parser(text).Document(&value))
    return std::nullopt;
  return value;
}

}  // namespace quire::testing
