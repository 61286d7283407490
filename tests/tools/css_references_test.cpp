// Finding the addresses of a style sheet.
#include "css_references.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quire::pack {
namespace {

TEST(CssReferencesTest, FindsUrlsAndImportsWhereCssReadsThem) {
  const struct {
    const char* css;
    std::vector<std::string> found;  // "value@offset", with '!' for an inexact one
  } cases[] = {
      {"a{background:url(x.png)}", {"x.png@17"}},
      {"a{background:URL(  \"x y.png\"  )}", {"x y.png@20"}},
      {"a{b:url( 'x.png' )}", {"x.png@10"}},
      {"a{b:url(  x.png  )}", {"x.png@10"}},
      {"@import 'a.css';@import url(b.css) print;@IMPORT\n\"c.css\";",
       {"a.css@9", "b.css@28", "c.css@50"}},
      {"@import /* note */ 'a.css';", {"a.css@20"}},
      {"/* url(no.png) @import 'no.css'; */", {}},
      {"a{content:\"url(no.png)\"} b{content:'@import \"no.css\"'}", {}},
      {"a{b:url(x\\).png)}", {"x\\).png!@8"}},
      {"a{b:url(\"x\\\"y.png\")}", {"x\\\"y.png!@9"}},
      {"a{b:url(x y.png)}", {}},   // blanks inside an unquoted url(): invalid
      {"a{b:url(x\"y.png)}", {}},  // a quote inside an unquoted url(): invalid
      {"a{b:my-url(x.png)}", {}},  // another function
      {"a{b:url(x.png", {}},       // unterminated
      {"@import 'a.css", {}},      // unterminated string
      {"@importer 'a.css';", {}},  // another at-rule
      {"a{b:image-set(url(a.png) 1x, 'b.png' 2x)}", {"a.png@18"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.css);
    std::vector<std::string> found;
    for (const CssReference& ref : FindCssReferences(c.css)) {
      EXPECT_EQ(std::string(c.css).substr(ref.offset, ref.length), ref.value);
      found.push_back(ref.value + (ref.exact ? "" : "!") + "@" + std::to_string(ref.offset));
    }
    EXPECT_EQ(found, c.found);
  }
}

}  // namespace
}  // namespace quire::pack
