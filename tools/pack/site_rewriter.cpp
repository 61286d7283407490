#include "site_rewriter.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "css_references.h"
#include "platform/ascii_text.h"
#include "site_reference.h"

namespace quire::pack {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string FoldSpace(std::string_view text) {
  std::string out;
  bool space = false;
  for (char c : text) {
    if (IsSpace(c)) {
      space = !out.empty();
      continue;
    }
    if (space)
      out.push_back(' ');
    space = false;
    out.push_back(c);
  }
  return out;
}

std::string FolderOf(const std::string& sitePath) {
  size_t slash = sitePath.rfind('/');
  return slash == std::string::npos ? "" : sitePath.substr(0, slash);
}

// The rewriting of one file: where its references lie, and the replacements.
class FileRewriter {
 public:
  FileRewriter(std::string_view text, const std::string& sitePath, const SiteMap& site)
      : m_text(text), m_folder(FolderOf(sitePath)), m_site(site) {}

  // One address as written at `offset` of the file. `entities`: the bytes are HTML
  // attribute text, whose character references must be decoded to read the address.
  // Returns the site path of the file it names, or the empty text.
  std::string Reference(size_t offset, std::string_view raw, bool entities) {
    while (!raw.empty() && IsSpace(raw.front())) {
      raw.remove_prefix(1);
      ++offset;
    }
    while (!raw.empty() && IsSpace(raw.back()))
      raw.remove_suffix(1);
    std::string decoded;
    if (entities && raw.find('&') != std::string_view::npos) {
      if (!DecodeAttributeText(raw, &decoded)) {
        if (!IsLeftAlone(raw))
          Issue(offset,
                "reference '" + std::string(raw) + "' cannot be read exactly; left as it is");
        return "";
      }
    } else {
      decoded = std::string(raw);
    }
    if (IsLeftAlone(decoded))
      return "";
    std::string_view rawPath = SplitReference(raw).path;
    std::string path(rawPath);
    if (entities && rawPath.find('&') != std::string_view::npos &&
        (!DecodeAttributeText(rawPath, &path) || path.find_first_of("?#") != std::string::npos)) {
      Issue(offset, "reference '" + decoded + "' cannot be located exactly; left as it is");
      return "";
    }
    std::string resolved;
    const Resolution resolution = ResolveSitePath(path, m_folder, &resolved);
    switch (resolution) {
      case Resolution::kOutside:
        Issue(offset, "reference '" + decoded + "' leads out of the site folder; left as it is");
        return "";
      case Resolution::kInside:
      case Resolution::kRootAbsolute:
        break;
    }
    const std::string* target = nullptr;
    const std::string* name = Lookup(resolved, &target);
    if (!name) {
      Issue(offset,
            "reference '" + decoded + "' names no file of the site" +
                (resolution == Resolution::kRootAbsolute ? " (a path from the top of the site)"
                                                         : ""));
      return "";
    }
    std::string replacement = EncodeStoredName(*name);
    if (replacement != rawPath)
      m_edits.push_back({offset, rawPath.size(), std::move(replacement)});
    return *target;
  }

  // The references of CSS text that starts at `offset` of the file.
  void StyleText(size_t offset, std::string_view css, bool entities) {
    if (entities && css.find('&') != std::string_view::npos) {
      // Attribute text: CSS reads it with its character references decoded.
      std::string decoded;
      std::vector<size_t> rawAt;
      if (!DecodeAttributeText(css, &decoded, &rawAt)) {
        Issue(offset, "a style attribute cannot be read exactly; left as it is");
        return;
      }
      for (const CssReference& ref : FindCssReferences(decoded)) {
        size_t begin = rawAt[ref.offset], end = rawAt[ref.offset + ref.length];
        if (!ref.exact) {
          if (!IsLeftAlone(ref.value))
            Issue(offset + begin,
                  "reference '" + ref.value + "' holds a CSS escape; left as it is");
          continue;
        }
        Reference(offset + begin, css.substr(begin, end - begin), true);
      }
      return;
    }
    for (const CssReference& ref : FindCssReferences(css)) {
      if (!ref.exact) {
        if (!IsLeftAlone(ref.value)) {
          Issue(offset + ref.offset,
                "reference '" + ref.value + "' holds a CSS escape; left as it is");
        }
        continue;
      }
      Reference(offset + ref.offset, css.substr(ref.offset, ref.length), entities);
    }
  }

  // String literals of script text at `offset` that look like page addresses.
  void ScriptText(size_t offset, std::string_view script);

  void Issue(size_t offset, std::string message) {
    m_issues.push_back({LineAt(offset), std::move(message)});
  }

  // A link a reader can follow to the file at `sitePath`.
  void Link(const std::string& sitePath) { m_links.push_back(sitePath); }

  RewrittenFile Finish() {
    RewrittenFile out;
    std::stable_sort(m_edits.begin(), m_edits.end(),
                     [](const Edit& a, const Edit& b) { return a.offset < b.offset; });
    size_t pos = 0;
    for (const Edit& e : m_edits) {
      if (e.offset < pos)
        continue;  // the same bytes twice (an element the parser copied): once is enough
      out.text.append(m_text.substr(pos, e.offset - pos));
      out.text += e.text;
      pos = e.offset + e.length;
    }
    out.changed = !m_edits.empty();
    if (out.changed) {
      out.text.append(m_text.substr(pos));
    } else {
      out.text = std::string(m_text);
    }
    std::stable_sort(
        m_issues.begin(), m_issues.end(),
        [](const ReferenceIssue& a, const ReferenceIssue& b) { return a.line < b.line; });
    out.issues = std::move(m_issues);
    out.links = std::move(m_links);
    return out;
  }

  std::string_view Text() const { return m_text; }

 private:
  struct Edit {
    size_t offset;
    size_t length;
    std::string text;
  };

  // The stored name of the file `resolved` names, and its site path in `sitePath`.
  const std::string* Lookup(const std::string& resolved, const std::string** sitePath) const {
    auto find = [&](const std::string& path) -> const std::string* {
      auto it = m_site.names.find(path);
      if (it == m_site.names.end())
        return nullptr;
      *sitePath = &it->first;
      return &it->second;
    };
    std::string folder;
    if (resolved.empty() || resolved.back() == '/') {
      folder = resolved;
    } else if (m_site.folders.count(resolved)) {
      folder = resolved + "/";
    } else {
      return find(resolved);
    }
    if (const std::string* name = find(folder + "index.html"))
      return name;
    return find(folder + "index.htm");
  }

  int LineAt(size_t offset) {
    if (m_lineStarts.empty()) {
      m_lineStarts.push_back(0);
      for (size_t i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == '\n')
          m_lineStarts.push_back(i + 1);
      }
    }
    auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return static_cast<int>(it - m_lineStarts.begin());
  }

  std::string_view m_text;
  std::string m_folder;
  const SiteMap& m_site;
  std::vector<Edit> m_edits;
  std::vector<ReferenceIssue> m_issues;
  std::vector<std::string> m_links;
  std::vector<size_t> m_lineStarts;
};

// True when a string literal of a script reads like the address of a page that the
// script hands to the browser: it ends in ".html" or ".htm" and either is only that
// suffix (the script appends it to names it builds) or names a place in a subfolder.
bool LooksLikeBuiltPageAddress(std::string_view literal) {
  if (literal.empty() || literal.size() > 300 || IsLeftAlone(literal))
    return false;
  if (std::any_of(literal.begin(), literal.end(), [](char c) {
        return IsSpace(c) || c == '<' || c == '>' || c == '"' || c == '\'' || c == '(';
      })) {
    return false;
  }
  std::string_view path = SplitReference(literal).path;
  if (!EndsWithIgnoringCase(path, ".html") && !EndsWithIgnoringCase(path, ".htm"))
    return false;
  return path == ".html" || path == ".htm" || path.find('/') != std::string_view::npos;
}

void FileRewriter::ScriptText(size_t offset, std::string_view js) {
  // A scanner that knows comments, strings, template texts and regular expression
  // literals well enough to find the string literals.
  char lastSignificant = '\0';  // the last character outside comments and blanks
  size_t i = 0;
  auto literal = [&](size_t start, size_t end) {
    std::string_view text = js.substr(start, end - start);
    if (text.find('\\') == std::string_view::npos && LooksLikeBuiltPageAddress(text)) {
      Issue(offset + start, "a script builds the reference '" + std::string(text) +
                                "'; references built by scripts are not rewritten");
    }
  };
  while (i < js.size()) {
    char c = js[i];
    if (c == '/' && i + 1 < js.size() && js[i + 1] == '/') {
      size_t end = js.find('\n', i);
      i = end == std::string_view::npos ? js.size() : end;
      continue;
    }
    if (c == '/' && i + 1 < js.size() && js[i + 1] == '*') {
      size_t end = js.find("*/", i + 2);
      i = end == std::string_view::npos ? js.size() : end + 2;
      continue;
    }
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    if (c == '"' || c == '\'' || c == '`') {
      size_t start = ++i;
      while (i < js.size() && js[i] != c && (c == '`' || js[i] != '\n'))
        i += js[i] == '\\' ? 2 : 1;
      size_t end = std::min(i, js.size());
      if (c != '`' || js.substr(start, end - start).find("${") == std::string_view::npos)
        literal(start, end);
      i = end + 1;
      lastSignificant = c;
      continue;
    }
    if (c == '/' && (lastSignificant == '\0' ||
                     std::string_view("(,=:[!&|?{};+-*%<>~^").find(lastSignificant) !=
                         std::string_view::npos)) {
      // A regular expression literal: up to the closing '/' outside a class.
      bool inClass = false;
      ++i;
      while (i < js.size() && js[i] != '\n') {
        char r = js[i];
        if (r == '\\') {
          i += 2;
          continue;
        }
        if (r == '[')
          inClass = true;
        else if (r == ']')
          inClass = false;
        else if (r == '/' && !inClass)
          break;
        ++i;
      }
      ++i;
      lastSignificant = 'a';
      continue;
    }
    lastSignificant = c;
    ++i;
  }
}

// Whether the bytes between an attribute's name and its value are " = " as HTML writes
// them, so that the value the parser reports is the one at that place in the file.
bool ValueFollowsName(std::string_view text, const GumboAttribute* attr) {
  const char* base = text.data();
  const char* value = attr->original_value.data;
  const char* nameEnd = attr->original_name.data + attr->original_name.length;
  if (!value || !attr->original_name.data || value < base ||
      value + attr->original_value.length > base + text.size() || nameEnd < base ||
      nameEnd > value) {
    return false;
  }
  int equals = 0;
  for (const char* p = nameEnd; p < value; ++p) {
    if (*p == '=')
      ++equals;
    else if (!IsSpace(*p))
      return false;
  }
  return equals == 1;
}

void Srcset(FileRewriter* rewriter, size_t offset, std::string_view raw) {
  size_t i = 0;
  while (i < raw.size()) {
    while (i < raw.size() && (IsSpace(raw[i]) || raw[i] == ','))
      ++i;
    size_t start = i;
    while (i < raw.size() && !IsSpace(raw[i]))
      ++i;
    size_t end = i;
    bool lastOfCandidate = false;
    while (end > start && raw[end - 1] == ',') {
      --end;
      lastOfCandidate = true;
    }
    if (end > start)
      rewriter->Reference(offset + start, raw.substr(start, end - start), true);
    if (lastOfCandidate)
      continue;
    int depth = 0;  // descriptors up to the next comma outside parentheses
    while (i < raw.size() && (raw[i] != ',' || depth > 0)) {
      if (raw[i] == '(')
        ++depth;
      else if (raw[i] == ')' && depth > 0)
        --depth;
      ++i;
    }
  }
}

// The address in the content of <meta http-equiv="refresh">: "5; url=page.html".
void RefreshContent(FileRewriter* rewriter, size_t offset, std::string_view raw) {
  size_t i = 0;
  while (i < raw.size() &&
         (std::isdigit(static_cast<unsigned char>(raw[i])) || raw[i] == '.' || IsSpace(raw[i]))) {
    ++i;
  }
  if (i >= raw.size() || (raw[i] != ';' && raw[i] != ','))
    return;
  ++i;
  while (i < raw.size() && IsSpace(raw[i]))
    ++i;
  if (i + 3 <= raw.size() && EqualsIgnoringCase(raw.substr(i, 3), "url")) {
    size_t j = i + 3;
    while (j < raw.size() && IsSpace(raw[j]))
      ++j;
    if (j < raw.size() && raw[j] == '=') {
      i = j + 1;
      while (i < raw.size() && IsSpace(raw[i]))
        ++i;
    }
  }
  size_t end = raw.size();
  if (i < raw.size() && (raw[i] == '"' || raw[i] == '\'')) {
    size_t close = raw.find(raw[i], i + 1);
    ++i;
    if (close != std::string_view::npos)
      end = close;
  }
  if (end > i)
    rewriter->Reference(offset + i, raw.substr(i, end - i), true);
}

// The text of an element and everything in it, without recursion: a page may nest
// elements deeper than any stack.
void GatherText(const GumboNode* root, std::string* out) {
  std::vector<const GumboNode*> stack = {root};
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
        node->type == GUMBO_NODE_CDATA) {
      *out += node->v.text.text;
      out->push_back(' ');
      continue;
    }
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
      continue;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = children.length; i-- > 0;)
      stack.push_back(static_cast<const GumboNode*>(children.data[i]));
  }
}

const char* AttributeValue(const GumboElement& element, const char* name) {
  const GumboAttribute* attr = gumbo_get_attribute(&element.attributes, name);
  return attr ? attr->value : nullptr;
}

class PageWalker {
 public:
  PageWalker(FileRewriter* rewriter, std::string_view html) : m_rewriter(rewriter), m_html(html) {}

  void Walk(const GumboNode* root, std::string* title) {
    std::vector<const GumboNode*> stack = {root};
    std::string h1;
    while (!stack.empty()) {
      const GumboNode* node = stack.back();
      stack.pop_back();
      if (node->type == GUMBO_NODE_DOCUMENT) {
        const GumboVector& children = node->v.document.children;
        for (unsigned i = children.length; i-- > 0;)
          stack.push_back(static_cast<const GumboNode*>(children.data[i]));
        continue;
      }
      if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
        continue;
      const GumboElement& element = node->v.element;
      Element(element);
      if (element.tag == GUMBO_TAG_TITLE && title->empty() &&
          element.tag_namespace == GUMBO_NAMESPACE_HTML) {
        GatherText(node, title);
        *title = FoldSpace(*title);
      }
      if (element.tag == GUMBO_TAG_H1 && h1.empty()) {
        GatherText(node, &h1);
        h1 = FoldSpace(h1);
      }
      if (element.tag == GUMBO_TAG_STYLE || element.tag == GUMBO_TAG_SCRIPT) {
        RawTextChildren(element, element.tag == GUMBO_TAG_STYLE);
        continue;
      }
      for (unsigned i = element.children.length; i-- > 0;)
        stack.push_back(static_cast<const GumboNode*>(element.children.data[i]));
    }
    if (title->empty())
      *title = h1;
  }

 private:
  void Element(const GumboElement& element) {
    if (element.tag == GUMBO_TAG_BASE)
      return;  // its address is where the others resolve, not a file to fetch
    const bool refresh = element.tag == GUMBO_TAG_META && [&] {
      const char* equiv = AttributeValue(element, "http-equiv");
      return equiv && EqualsIgnoringCase(equiv, "refresh");
    }();
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const GumboAttribute* attr = static_cast<const GumboAttribute*>(element.attributes.data[i]);
      std::string_view name = attr->name;
      enum { kNone, kUrl, kSrcset, kStyle, kRefresh } kind = kNone;
      if (name == "href" || name == "src" || name == "poster" || name == "background" ||
          name == "xlink:href" || (name == "data" && element.tag == GUMBO_TAG_OBJECT)) {
        kind = kUrl;
      } else if (name == "srcset") {
        kind = kSrcset;
      } else if (name == "style") {
        kind = kStyle;
      } else if (name == "content" && refresh) {
        kind = kRefresh;
      }
      if (kind == kNone || attr->original_value.length == 0)
        continue;
      if (!ValueFollowsName(m_html, attr)) {
        std::string value = attr->value;
        if (kind == kUrl && !IsLeftAlone(value)) {
          m_rewriter->Issue(attr->name_start.offset,
                            "reference '" + value + "' cannot be located exactly; left as it is");
        }
        continue;
      }
      size_t offset = static_cast<size_t>(attr->original_value.data - m_html.data());
      std::string_view raw(attr->original_value.data, attr->original_value.length);
      if (raw.size() >= 2 && (raw[0] == '"' || raw[0] == '\'') && raw.back() == raw[0]) {
        raw = raw.substr(1, raw.size() - 2);
        ++offset;
      } else if (raw[0] == '"' || raw[0] == '\'') {
        continue;  // an unclosed quote: the parser dropped the tag's end
      }
      switch (kind) {
        case kUrl: {
          std::string target = m_rewriter->Reference(offset, raw, true);
          if (!target.empty() && name == "href" &&
              (element.tag == GUMBO_TAG_A || element.tag == GUMBO_TAG_AREA)) {
            m_rewriter->Link(target);
          }
          break;
        }
        case kSrcset:
          Srcset(m_rewriter, offset, raw);
          break;
        case kStyle:
          m_rewriter->StyleText(offset, raw, true);
          break;
        case kRefresh:
          RefreshContent(m_rewriter, offset, raw);
          break;
        case kNone:
          break;
      }
    }
  }

  void RawTextChildren(const GumboElement& element, bool style) {
    if (!style && gumbo_get_attribute(&element.attributes, "src"))
      return;
    for (unsigned i = 0; i < element.children.length; ++i) {
      const GumboNode* child = static_cast<const GumboNode*>(element.children.data[i]);
      if (child->type != GUMBO_NODE_TEXT && child->type != GUMBO_NODE_WHITESPACE &&
          child->type != GUMBO_NODE_CDATA) {
        continue;
      }
      const GumboStringPiece& piece = child->v.text.original_text;
      if (!piece.data || piece.data < m_html.data() ||
          piece.data + piece.length > m_html.data() + m_html.size()) {
        continue;
      }
      size_t offset = static_cast<size_t>(piece.data - m_html.data());
      std::string_view text(piece.data, piece.length);
      if (style) {
        m_rewriter->StyleText(offset, text, false);
      } else {
        m_rewriter->ScriptText(offset, text);
      }
    }
  }

  FileRewriter* m_rewriter;
  std::string_view m_html;
};

// Memory for one parse: handed out in order from blocks and freed all at once by Reset().
// The blocks are kept for the next page, so that a thread parsing many pages asks the
// system for memory once rather than faulting in fresh pages for every one.
class ParseArena {
 public:
  static void* Allocate(void* self, size_t size) {
    return static_cast<ParseArena*>(self)->Take(size);
  }
  static void Deallocate(void*, void*) {}

  // Frees the parse; a few blocks are kept for the next page, the rest that a very large
  // page needed go back to the system so that it does not stay at its peak.
  void Reset() {
    m_large.clear();
    if (m_blocks.size() > kKeptBlocks)
      m_blocks.resize(kKeptBlocks);
    m_block = 0;
    m_used = 0;
  }

 private:
  static constexpr size_t kBlockSize = 1 << 20;
  static constexpr size_t kKeptBlocks = 8;

  void* Take(size_t size) {
    size = (size + 15) & ~size_t{15};
    if (size > kBlockSize / 4) {
      m_large.emplace_back(new unsigned char[size]);
      return m_large.back().get();
    }
    if (m_blocks.empty() || m_used + size > kBlockSize) {
      if (!m_blocks.empty())
        ++m_block;
      if (m_block == m_blocks.size())
        m_blocks.emplace_back(new unsigned char[kBlockSize]);
      m_used = 0;
    }
    void* p = m_blocks[m_block].get() + m_used;
    m_used += size;
    return p;
  }

  std::vector<std::unique_ptr<unsigned char[]>> m_blocks;  // each kBlockSize bytes
  size_t m_block = 0;                                      // the one being filled
  size_t m_used = 0;                                       // bytes taken from it
  std::vector<std::unique_ptr<unsigned char[]>> m_large;   // one request each
};

}  // namespace

RewrittenFile RewriteHtmlPage(std::string_view html, const std::string& sitePath,
                              const SiteMap& site) {
  FileRewriter rewriter(html, sitePath, site);
  std::string title;
  // The parser makes many small allocations and frees them all together at the end:
  // one arena per thread, emptied after each page, spares the general allocator.
  thread_local ParseArena arena;
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &ParseArena::Allocate;
  options.deallocator = &ParseArena::Deallocate;
  options.userdata = &arena;
  options.max_errors = 0;  // nothing reads the parse errors: do not record them
  GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
  if (output) {
    PageWalker(&rewriter, html).Walk(output->document, &title);
  }
  arena.Reset();  // frees the whole tree: gumbo_destroy_output would only walk it
  RewrittenFile out = rewriter.Finish();
  out.title = std::move(title);
  return out;
}

RewrittenFile RewriteStyleSheet(std::string_view css, const std::string& sitePath,
                                const SiteMap& site) {
  FileRewriter rewriter(css, sitePath, site);
  rewriter.StyleText(0, css, false);
  return rewriter.Finish();
}

std::vector<ReferenceIssue> FindScriptReferences(std::string_view script,
                                                 const std::string& sitePath, const SiteMap& site) {
  FileRewriter rewriter(script, sitePath, site);
  rewriter.ScriptText(0, script);
  return rewriter.Finish().issues;
}

}  // namespace quire::pack
