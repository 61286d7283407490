// The texts a page offers for the contents and the search: its <title> and the content of
// its <meta name="description"> and <meta name="keywords"> tags.
#ifndef QUIRE_TOOLS_PACK_HTML_META_H_
#define QUIRE_TOOLS_PACK_HTML_META_H_

#include <string>
#include <string_view>

namespace quire::pack {

struct HtmlMeta {
  std::string title;
  std::string description;
  std::string keywords;
};

// Reads the head of `html` (any prefix will do; the tags are looked for in it). Runs of
// white space become one space, the texts are trimmed, and the character references
// &amp; &lt; &gt; &quot; &apos; &#39; &nbsp; and numeric ones are decoded (to UTF-8), since
// the reader escapes these texts itself. Missing tags give empty texts; never fails.
HtmlMeta ReadHtmlMeta(std::string_view html);

// Decodes character references and folds white space as above.
std::string CleanHtmlText(std::string_view text);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_HTML_META_H_
