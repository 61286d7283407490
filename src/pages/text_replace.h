// Plain text replacement on byte strings, shared by the variable expansion and the HTML
// helpers.
#ifndef QUIRE_PAGES_TEXT_REPLACE_H_
#define QUIRE_PAGES_TEXT_REPLACE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ascii_text.h"  // TrimCopy and kWhiteSpace, which callers use beside it

namespace quire {

// Replaces every occurrence of `from` in `text` by `to` in one left-to-right pass: text
// inserted by this call is not searched again. An empty `from` changes nothing. Returns
// the number of replacements.
size_t ReplaceAll(std::string* text, std::string_view from, std::string_view to);

}  // namespace quire

#endif  // QUIRE_PAGES_TEXT_REPLACE_H_
