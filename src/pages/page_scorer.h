// The scoring of pages for one query, made to be run over every page of a book: the words
// are prepared once, and each page's text is case-folded once into a reused buffer,
// instead of once per word.
#ifndef QUIRE_PAGES_PAGE_SCORER_H_
#define QUIRE_PAGES_PAGE_SCORER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/search.h"
#include "platform/text_case.h"

namespace quire {

// Offset of the first occurrence of `word` in `text` at or after `from`; npos when there is
// none (and for `from` past the end). The empty word is found at `from`.
size_t FindWord(std::string_view text, std::string_view word, size_t from);

// ScoreText on a text and a word that are already folded as the search asks for. `length`
// is the length of the text before it was folded (the weight counts it); `first` (if
// non-null) receives the offset of the first occurrence in `text`, npos when there is none.
TextScore ScorePreparedText(std::string_view text, std::string_view word, int64_t length,
                            size_t* first = nullptr);

// What a page gave for the query.
struct PageScore {
  int32_t score = 0;      // 0 to 10000; at least 1 when some word was found in some text
  bool anyWord = false;   // some word is in one of the four texts
  bool allWords = false;  // every word is in one of the four texts
  // Offset in the page text of the first occurrence of any word; npos when none is there.
  size_t firstHit = std::string::npos;
};

class PageScorer {
 public:
  PageScorer(std::vector<std::string> words, bool caseSensitive, TextEncoding encoding);

  // The score of the page file at `path` with its directory texts: its first 63999 bytes
  // up to a zero byte are the page text; 0 when the file cannot be read or that text is
  // empty (see ScoreFile).
  int32_t Score(const std::string& path, const std::string& title, const std::string& description,
                const std::string& keywords);

  // The scores of a page whose whole text is `text` (which may be empty), with its
  // directory texts.
  PageScore ScoreTexts(std::string_view text, const std::string& title,
                       const std::string& description, const std::string& keywords);

  bool HasWords() const { return !m_words.empty(); }
  bool CaseSensitive() const { return m_caseSensitive; }
  TextEncoding Encoding() const { return m_encoding; }
  // The words as the texts are searched for them: folded unless case-sensitive.
  const std::vector<std::string>& PreparedWords() const { return m_words; }

 private:
  // Reads the scored part of the file into m_buffer; the text up to its first zero byte,
  // or an empty view when the file cannot be read.
  std::string_view ReadPage(const std::string& path);
  // `text` as the words are looked for in it: itself when case-sensitive, else folded
  // into `scratch`. Sets `sameOffsets` when offsets in the result are offsets in `text`.
  std::string_view Prepare(std::string_view text, std::string* scratch, bool* sameOffsets) const;
  PageScore ScorePrepared(std::string_view body, int64_t bodyLength, const std::string& title,
                          const std::string& description, const std::string& keywords);

  std::vector<std::string> m_words;  // folded when not case-sensitive
  std::vector<size_t> m_distinct;    // per word: the index of its first equal word
  size_t m_distinctCount = 0;
  bool m_caseSensitive;
  TextEncoding m_encoding;
  std::vector<char> m_buffer;  // one page file at a time, kScoredFileBytes long
  std::string m_folded;        // the page text folded
  std::string m_scratch[3];    // the directory texts folded
  std::vector<char> m_found;   // per distinct word, while one page is scored
};

}  // namespace quire

#endif  // QUIRE_PAGES_PAGE_SCORER_H_
