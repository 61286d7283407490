// The short piece of a page's text that a search result shows: the text around the first
// place a query word occurs, with the words marked.
#ifndef QUIRE_PAGES_SEARCH_EXCERPT_H_
#define QUIRE_PAGES_SEARCH_EXCERPT_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_case.h"

namespace quire {

// How much text an excerpt shows before the hit, and at most in all (in bytes).
inline constexpr size_t kExcerptBefore = 60;
inline constexpr size_t kExcerptLength = 220;

// The excerpt of `text` around offset `hit` (its start when `hit` is npos or past the end)
// as HTML: at most kExcerptLength bytes, cut at spaces where one is near and never inside
// a UTF-8 character, "... " before and " ..." after where text was cut off; every byte
// escaped (the text is what the page shows, never markup); each occurrence of one of
// `words` in it (as folded: see text_case.h, unless `caseSensitive`) between "<B>" and
// "</B>". Empty for an empty text.
std::string MakeExcerpt(std::string_view text, size_t hit, const std::vector<std::string>& words,
                        bool caseSensitive, TextEncoding encoding);

}  // namespace quire

#endif  // QUIRE_PAGES_SEARCH_EXCERPT_H_
