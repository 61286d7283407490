// The scoring of pages for one query, made to be run over every page of a book: the words
// are prepared once, and each page file is read into one reused buffer and case-folded in
// place once, instead of once per word.
#ifndef QUIRE_PAGES_PAGE_SCORER_H_
#define QUIRE_PAGES_PAGE_SCORER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/search.h"

namespace quire {

// Upper-cases the ASCII letters of `text` in place; other bytes stay.
void FoldAsciiCase(char* text, size_t length);

// Offset of the first occurrence of `word` in `text` at or after `from`; npos when there is
// none (and for `from` past the end). The empty word is found at `from`.
size_t FindWord(std::string_view text, std::string_view word, size_t from);

// ScoreText on a text and a word that are already folded as the search asks for.
TextScore ScorePreparedText(std::string_view text, std::string_view word);

class PageScorer {
 public:
  PageScorer(std::vector<std::string> words, bool caseSensitive);

  // The score of the page file at `path` with its directory texts (see ScoreFile).
  int32_t Score(const std::string& path, const std::string& title, const std::string& description,
                const std::string& keywords);

  bool HasWords() const { return !m_words.empty(); }

 private:
  // Reads the scored part of the file into m_buffer; the text up to its first zero byte,
  // or an empty view when the file cannot be read.
  std::string_view ReadPage(const std::string& path);
  std::string Prepare(std::string text) const;

  std::vector<std::string> m_words;  // folded when not case-sensitive
  bool m_caseSensitive;
  std::vector<char> m_buffer;  // one page at a time, kScoredFileBytes long
};

}  // namespace quire

#endif  // QUIRE_PAGES_PAGE_SCORER_H_
