#include "pages/search_excerpt.h"

#include <algorithm>
#include <utility>

#include "pages/html_text.h"
#include "pages/page_scorer.h"
#include "platform/utf8.h"

namespace quire {

namespace {

bool IsContinuationByte(std::string_view text, size_t at) {
  return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

// The piece's start: `from`, moved on past the next space when one is near, and never
// inside a character.
size_t ExcerptStart(std::string_view text, size_t from, size_t hit, TextEncoding encoding) {
  if (from == 0)
    return 0;
  const size_t space = text.find(' ', from);
  if (space != std::string_view::npos && space < hit && space < from + 20)
    return space + 1;
  while (encoding == TextEncoding::kUtf8 && from < hit && IsContinuationByte(text, from))
    ++from;
  return from;
}

// The piece's end: `to`, moved back to a space after the hit when one is near, and never
// inside a character.
size_t ExcerptEnd(std::string_view text, size_t to, size_t hit, TextEncoding encoding) {
  if (to >= text.size())
    return text.size();
  const size_t space = text.rfind(' ', to);
  if (space != std::string_view::npos && space > hit && space + 30 > to)
    return space;
  while (encoding == TextEncoding::kUtf8 && to > hit && IsContinuationByte(text, to))
    --to;
  return to;
}

// `piece` folded as the search folds texts, with the offset in `piece` of each byte of the
// result (and of its end).
std::string FoldWithOffsets(std::string_view piece, TextEncoding encoding,
                            std::vector<size_t>* offsets) {
  std::string folded;
  if (FoldCase(piece, encoding, &folded)) {  // every character kept its length
    for (size_t k = 0; k <= piece.size(); ++k)
      offsets->push_back(k);
    return folded;
  }
  folded.clear();
  size_t i = 0;
  while (i < piece.size()) {
    uint32_t cp = 0;
    size_t length = encoding == TextEncoding::kUtf8 ? DecodeUtf8(piece, i, &cp) : 1;
    if (length == 0)
      length = 1;
    const std::string one = UpperCased(piece.substr(i, length), encoding);
    folded += one;
    offsets->insert(offsets->end(), one.size(), i);
    i += length;
  }
  offsets->push_back(piece.size());
  return folded;
}

}  // namespace

std::string MakeExcerpt(std::string_view text, size_t hit, const std::vector<std::string>& words,
                        bool caseSensitive, TextEncoding encoding) {
  if (text.empty())
    return {};
  if (hit > text.size())
    hit = 0;
  const size_t start =
      ExcerptStart(text, hit > kExcerptBefore ? hit - kExcerptBefore : 0, hit, encoding);
  const size_t end = ExcerptEnd(text, std::min(text.size(), start + kExcerptLength), hit, encoding);
  const std::string_view piece = text.substr(start, end - start);

  std::vector<size_t> offsets;
  offsets.reserve(piece.size() + 1);
  std::string folded;
  if (caseSensitive) {
    folded.assign(piece);
    for (size_t k = 0; k <= piece.size(); ++k)
      offsets.push_back(k);
  } else {
    folded = FoldWithOffsets(piece, encoding, &offsets);
  }
  // Every occurrence of every word, as ranges of `piece`; overlapping ones are joined.
  std::vector<std::pair<size_t, size_t>> marks;
  for (const std::string& word : words) {
    if (word.empty())
      continue;
    for (size_t at = FindWord(folded, word, 0); at != std::string::npos;
         at = FindWord(folded, word, at + word.size())) {
      marks.emplace_back(offsets[at], offsets[at + word.size()]);
    }
  }
  std::sort(marks.begin(), marks.end());
  std::string html = start > 0 ? "... " : "";
  size_t done = 0;
  for (size_t k = 0; k < marks.size();) {
    size_t from = marks[k].first;
    size_t to = marks[k].second;
    for (++k; k < marks.size() && marks[k].first <= to; ++k)
      to = std::max(to, marks[k].second);
    from = std::max(from, done);
    if (to <= from)
      continue;
    html += EscapeHtml(std::string(piece.substr(done, from - done)));
    html += "<B>" + EscapeHtml(std::string(piece.substr(from, to - from))) + "</B>";
    done = to;
  }
  html += EscapeHtml(std::string(piece.substr(done)));
  if (end < text.size())
    html += " ...";
  return html;
}

}  // namespace quire
