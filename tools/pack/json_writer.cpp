#include "json_writer.h"

#include <cstdio>

namespace quire::pack {

namespace {

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80           ? 1
                 : (c >> 5) == 0x6  ? 2
                 : (c >> 4) == 0xE  ? 3
                 : (c >> 3) == 0x1E ? 4
                                    : 0;
    if (len == 0 || i + len > s.size())
      return false;
    uint32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += len;
  }
  return true;
}

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five unassigned ones (kept as U+0080...).
const uint16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string ToUtf8(std::string_view bytes) {
  if (IsValidUtf8(bytes))
    return std::string(bytes);
  std::string out;
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    uint32_t cp = c;
    if (c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80])
      cp = kCp1252High[c - 0x80];
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string JsonQuote(std::string_view bytes) {
  std::string out = "\"";
  for (char ch : ToUtf8(bytes)) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", c);
          out += esc;
        } else {
          out.push_back(ch);
        }
    }
  }
  return out + "\"";
}

void JsonWriter::Prefix(std::string_view key) {
  if (!m_first.empty()) {
    if (!m_first.back())
      m_out += ',';
    m_first.back() = false;
    m_out += '\n';
    m_out.append(2 * m_first.size(), ' ');
  }
  if (!key.empty())
    m_out += JsonQuote(key) + ": ";
}

void JsonWriter::BeginObject(std::string_view key) {
  Prefix(key);
  m_out += '{';
  m_first.push_back(true);
}

void JsonWriter::EndObject() {
  bool empty = m_first.back();
  m_first.pop_back();
  if (!empty) {
    m_out += '\n';
    m_out.append(2 * m_first.size(), ' ');
  }
  m_out += '}';
}

void JsonWriter::BeginArray(std::string_view key) {
  Prefix(key);
  m_out += '[';
  m_first.push_back(true);
}

void JsonWriter::EndArray() {
  bool empty = m_first.back();
  m_first.pop_back();
  if (!empty) {
    m_out += '\n';
    m_out.append(2 * m_first.size(), ' ');
  }
  m_out += ']';
}

void JsonWriter::String(std::string_view key, std::string_view value) {
  Prefix(key);
  m_out += JsonQuote(value);
}

void JsonWriter::Number(std::string_view key, int64_t value) {
  Prefix(key);
  m_out += std::to_string(value);
}

void JsonWriter::Bool(std::string_view key, bool value) {
  Prefix(key);
  m_out += value ? "true" : "false";
}

void JsonWriter::Null(std::string_view key) {
  Prefix(key);
  m_out += "null";
}

}  // namespace quire::pack
