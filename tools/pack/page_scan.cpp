#include "page_scan.h"

#include <array>

#include "html_meta.h"
#include "platform/ascii_text.h"
#include "site_reference.h"

namespace quire::pack {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Elements whose text runs up to their end tag with no markup in it.
bool IsRawText(std::string_view name) {
  static constexpr std::array<std::string_view, 8> kRaw = {
      "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"};
  for (std::string_view raw : kRaw) {
    if (name == raw)
      return true;
  }
  return false;
}

// Where the end tag "</name" (any case, followed by a space, '/' or '>') begins from
// `from`; npos when there is none.
size_t FindEndTag(std::string_view html, size_t from, std::string_view name) {
  for (size_t at = html.find("</", from); at != std::string_view::npos;
       at = html.find("</", at + 2)) {
    const size_t after = at + 2 + name.size();
    if (after > html.size())
      return std::string_view::npos;
    if (EqualsIgnoringCase(html.substr(at + 2, name.size()), name) &&
        (after == html.size() || IsSpace(html[after]) || html[after] == '/' ||
         html[after] == '>')) {
      return at;
    }
  }
  return std::string_view::npos;
}

class Scanner {
 public:
  explicit Scanner(std::string_view html) : m_html(html) {}

  PageScan Scan() {
    std::string h1Text;
    size_t i = 0;
    const size_t n = m_html.size();
    while (i < n) {
      const size_t lt = m_html.find('<', i);
      if (m_inH1)
        h1Text.append(m_html.substr(i, lt == std::string_view::npos ? n - i : lt - i));
      if (lt == std::string_view::npos)
        break;
      i = lt;
      if (m_html.compare(i, 4, "<!--") == 0) {
        const size_t end = m_html.find("-->", i + 4);
        i = end == std::string_view::npos ? n : end + 3;
        continue;
      }
      if (i + 1 < n && (m_html[i + 1] == '!' || m_html[i + 1] == '?')) {
        const size_t end = m_html.find('>', i + 2);
        i = end == std::string_view::npos ? n : end + 1;
        continue;
      }
      const bool endTag = i + 1 < n && m_html[i + 1] == '/';
      const size_t nameStart = i + (endTag ? 2 : 1);
      if (nameStart >= n || !IsLetter(m_html[nameStart])) {
        if (m_inH1)
          h1Text.push_back('<');  // a '<' that opens no tag is text
        ++i;
        continue;
      }
      size_t p = nameStart;
      while (p < n && !IsSpace(m_html[p]) && m_html[p] != '/' && m_html[p] != '>')
        ++p;
      const std::string name = AsciiLowered(m_html.substr(nameStart, p - nameStart));
      i = Attributes(p, endTag ? "" : name);
      if (endTag) {
        if (name == "h1" && m_inH1) {
          m_inH1 = false;
          m_h1Done = true;
        }
        continue;
      }
      if (name == "h1" && !m_h1Done)
        m_inH1 = true;
      if (name == "plaintext")
        break;
      if (IsRawText(name)) {
        const size_t end = FindEndTag(m_html, i, name);
        if (m_inH1 && name != "script" && name != "style")
          h1Text.append(m_html.substr(i, end == std::string_view::npos ? n - i : end - i));
        i = end == std::string_view::npos ? n : end;
      }
    }
    m_scan.h1 = CleanHtmlText(h1Text);
    return std::move(m_scan);
  }

 private:
  // Reads the attributes of a tag from `p` to its '>' and returns the position after it.
  // `tag` is the start tag's name, empty for an end tag (whose attributes mean nothing).
  size_t Attributes(size_t p, const std::string& tag) {
    const size_t n = m_html.size();
    while (p < n) {
      while (p < n && (IsSpace(m_html[p]) || m_html[p] == '/'))
        ++p;
      if (p >= n)
        break;
      if (m_html[p] == '>')
        return p + 1;
      const size_t nameStart = p;
      ++p;  // a first '=' belongs to the name
      while (p < n && !IsSpace(m_html[p]) && m_html[p] != '/' && m_html[p] != '>' &&
             m_html[p] != '=')
        ++p;
      const std::string_view attribute = m_html.substr(nameStart, p - nameStart);
      size_t q = p;
      while (q < n && IsSpace(m_html[q]))
        ++q;
      if (q >= n || m_html[q] != '=')
        continue;  // no value
      ++q;
      while (q < n && IsSpace(m_html[q]))
        ++q;
      size_t valueStart = q;
      size_t valueEnd = q;
      if (q < n && (m_html[q] == '"' || m_html[q] == '\'')) {
        const size_t close = m_html.find(m_html[q], q + 1);
        valueStart = q + 1;
        valueEnd = close == std::string_view::npos ? n : close;
        p = close == std::string_view::npos ? n : close + 1;
      } else {
        while (q < n && !IsSpace(m_html[q]) && m_html[q] != '>')
          ++q;
        valueEnd = q;
        p = q;
      }
      if (!tag.empty() && tag != "base")
        Value(tag, attribute, valueStart, m_html.substr(valueStart, valueEnd - valueStart));
    }
    return n;
  }

  void Value(const std::string& tag, std::string_view attribute, size_t offset,
             std::string_view raw) {
    const bool href = EqualsIgnoringCase(attribute, "href");
    if (!href && !EqualsIgnoringCase(attribute, "src"))
      return;
    std::string address;
    if (raw.find('&') == std::string_view::npos || !DecodeAttributeText(raw, &address))
      address = std::string(raw);
    size_t start = 0;
    while (start < address.size() && IsSpace(address[start]))
      ++start;
    size_t end = address.size();
    while (end > start && IsSpace(address[end - 1]))
      --end;
    PageReference reference;
    reference.offset = offset;
    reference.address = address.substr(start, end - start);
    reference.link = href && (tag == "a" || tag == "area");
    m_scan.references.push_back(std::move(reference));
  }

  std::string_view m_html;
  PageScan m_scan;
  bool m_inH1 = false;
  bool m_h1Done = false;
};

}  // namespace

PageScan ScanPage(std::string_view html) {
  return Scanner(html).Scan();
}

}  // namespace quire::pack
