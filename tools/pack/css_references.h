// Finds the references of a style sheet: the address of every url(...) and of every
// @import "..." rule, located exactly so that only those bytes are replaced.
//
// A small tokenizer, not a pattern search: comments, strings (with their escapes) and
// the contents of url(...) are read as CSS reads them, so "url(" inside a comment or a
// string is never taken for a reference, and a string after @import is.
#ifndef QUIRE_TOOLS_PACK_CSS_REFERENCES_H_
#define QUIRE_TOOLS_PACK_CSS_REFERENCES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

struct CssReference {
  size_t offset = 0;  // of the address inside the text, without quotes or blanks
  size_t length = 0;
  std::string value;  // the address as written between those bytes
  bool exact = true;  // false when it holds a CSS escape ('\'): the value is then not
                      // what CSS reads and the reference must be left as it is
};

// Every reference of `css`, in text order. Never fails; an unterminated string, comment
// or url( ends at the end of the text and gives no reference.
std::vector<CssReference> FindCssReferences(std::string_view css);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_CSS_REFERENCES_H_
