#include "css_references.h"

#include <algorithm>
#include <cctype>

#include "platform/ascii_text.h"

namespace quire::pack {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsNameChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '-' || c == '_' || u >= 0x80;
}

class CssScanner {
 public:
  explicit CssScanner(std::string_view css) : m_css(css) {}

  std::vector<CssReference> Scan() {
    bool afterImport = false;  // the last token was @import (blanks and comments between)
    while (m_pos < m_css.size()) {
      char c = m_css[m_pos];
      if (c == '/' && Peek(1) == '*') {
        SkipComment();
        continue;
      }
      if (IsSpace(c)) {
        ++m_pos;
        continue;
      }
      if (c == '"' || c == '\'') {
        size_t start = m_pos + 1;
        bool exact = true;
        bool closed = SkipString(c, &exact);
        if (afterImport && closed)
          Add(start, m_pos - 1, exact);
        afterImport = false;
        continue;
      }
      if (c == '\\') {
        m_pos = std::min(m_css.size(), m_pos + 2);
        afterImport = false;
        continue;
      }
      if (c == '@') {
        size_t start = ++m_pos;
        while (m_pos < m_css.size() && IsNameChar(m_css[m_pos]))
          ++m_pos;
        afterImport = EqualsIgnoringCase(m_css.substr(start, m_pos - start), "import");
        continue;
      }
      if (IsNameChar(c)) {
        size_t start = m_pos;
        while (m_pos < m_css.size() && (IsNameChar(m_css[m_pos]) || m_css[m_pos] == '\\')) {
          m_pos += m_css[m_pos] == '\\' ? 2 : 1;
        }
        m_pos = std::min(m_pos, m_css.size());
        if (m_pos < m_css.size() && m_css[m_pos] == '(' &&
            EqualsIgnoringCase(m_css.substr(start, m_pos - start), "url")) {
          ++m_pos;
          ReadUrl();
        }
        afterImport = false;
        continue;
      }
      afterImport = false;
      ++m_pos;
    }
    return std::move(m_found);
  }

 private:
  char Peek(size_t ahead) const {
    return m_pos + ahead < m_css.size() ? m_css[m_pos + ahead] : '\0';
  }

  void SkipComment() {
    size_t end = m_css.find("*/", m_pos + 2);
    m_pos = end == std::string_view::npos ? m_css.size() : end + 2;
  }

  // From an opening quote to past the closing one; false when the string is not closed
  // (a line break or the end of the text ends it first).
  bool SkipString(char quote, bool* exact) {
    ++m_pos;
    while (m_pos < m_css.size()) {
      char c = m_css[m_pos];
      if (c == quote) {
        ++m_pos;
        return true;
      }
      if (c == '\n' || c == '\r' || c == '\f')
        return false;
      if (c == '\\') {
        *exact = false;
        m_pos += 2;
        continue;
      }
      ++m_pos;
    }
    m_pos = m_css.size();
    return false;
  }

  // After "url(": a quoted address or an unquoted one up to ')'.
  void ReadUrl() {
    while (m_pos < m_css.size() && IsSpace(m_css[m_pos]))
      ++m_pos;
    if (m_pos >= m_css.size())
      return;
    char c = m_css[m_pos];
    if (c == '"' || c == '\'') {
      size_t start = m_pos + 1;
      bool exact = true;
      if (SkipString(c, &exact))
        Add(start, m_pos - 1, exact);
      return;  // the rest, up to ')', is read as ordinary tokens
    }
    size_t start = m_pos;
    bool exact = true;
    while (m_pos < m_css.size() && m_css[m_pos] != ')') {
      char u = m_css[m_pos];
      if (u == '\\') {
        exact = false;
        m_pos += 2;
        continue;
      }
      if (u == '"' || u == '\'' || u == '(') {
        // Not a valid url(): CSS drops it, and so do we.
        return;
      }
      ++m_pos;
    }
    if (m_pos >= m_css.size())
      return;
    size_t end = m_pos;
    while (end > start && IsSpace(m_css[end - 1]))
      --end;
    if (m_css.substr(start, end - start).find_first_of(" \t\r\n\f") != std::string_view::npos)
      return;  // blanks inside an unquoted url() make it invalid
    ++m_pos;
    Add(start, end, exact);
  }

  void Add(size_t start, size_t end, bool exact) {
    CssReference ref;
    ref.offset = start;
    ref.length = end - start;
    ref.value = std::string(m_css.substr(start, end - start));
    ref.exact = exact;
    m_found.push_back(std::move(ref));
  }

  std::string_view m_css;
  size_t m_pos = 0;
  std::vector<CssReference> m_found;
};

}  // namespace

std::vector<CssReference> FindCssReferences(std::string_view css) {
  return CssScanner(css).Scan();
}

}  // namespace quire::pack
