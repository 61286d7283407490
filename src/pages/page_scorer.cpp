#include "pages/page_scorer.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/text_case.h"

namespace quire {
namespace {

// The word's length as the weight counts it: 1 to 10.
int64_t CountedLength(std::string_view word) {
  return std::clamp<int64_t>(static_cast<int64_t>(word.size()), 1, 10);
}

// 16 bytes, compared all at once where the processor can.
typedef unsigned char Bytes16 __attribute__((vector_size(16)));

Bytes16 Load16(const char* at) {
  Bytes16 v;
  memcpy(&v, at, sizeof v);
  return v;
}

template <typename Vector>
bool AnySet(Vector v) {
  static_assert(sizeof(Vector) == 16);
  uint64_t halves[2];
  memcpy(halves, &v, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

}  // namespace

size_t FindWord(std::string_view text, std::string_view word, size_t from) {
  if (from > text.size() || word.size() > text.size() - from)
    return std::string_view::npos;
  if (word.empty())
    return from;
  const char* base = text.data();
  const size_t n = word.size();
  if (n == 1) {
    const void* hit = memchr(base + from, word[0], text.size() - from);
    return hit == nullptr ? std::string_view::npos
                          : static_cast<size_t>(static_cast<const char*>(hit) - base);
  }
  // Sixteen start positions per step: a start is a candidate when both the word's first
  // and last bytes sit where they should; candidates are then compared whole.
  const Bytes16 first = Bytes16{} + static_cast<unsigned char>(word[0]);
  const Bytes16 last = Bytes16{} + static_cast<unsigned char>(word[n - 1]);
  const size_t lastStart = text.size() - n;  // the last start that fits
  size_t i = from;
  for (; i + 16 <= lastStart + 1; i += 16) {
    auto hits = (Load16(base + i) == first) & (Load16(base + i + n - 1) == last);
    if (!AnySet(hits))
      continue;
    for (size_t k = 0; k < 16; ++k) {
      if (hits[k] != 0 && memcmp(base + i + k + 1, word.data() + 1, n - 2) == 0)
        return i + k;
    }
  }
  for (; i <= lastStart; ++i) {
    if (base[i] == word[0] && memcmp(base + i + 1, word.data() + 1, n - 1) == 0)
      return i;
  }
  return std::string_view::npos;
}

TextScore ScorePreparedText(std::string_view text, std::string_view word, int64_t length,
                            size_t* first) {
  TextScore score;
  if (first != nullptr)
    *first = std::string_view::npos;
  if (length == 0)
    return score;
  const int64_t counted = CountedLength(word);
  score.weight = counted * counted * 10 + std::min<int64_t>(counted * 100000 / length, 1000);
  if (word.empty()) {
    score.position = 1000;  // the empty word is found once, at the start
    if (first != nullptr)
      *first = 0;
    return score;
  }
  const size_t found = FindWord(text, word, 0);
  if (found == std::string_view::npos)
    return score;
  if (first != nullptr)
    *first = found;
  // The first occurrence's first byte counts as a blank, then the search goes on from that
  // same byte: so a later occurrence may overlap the first one, and a word that begins
  // with a blank is found again right where it was. Folding may have changed the text's
  // length; offsets count in the text searched.
  const size_t second = FindWord(text, word, word.front() == ' ' ? found : found + 1);
  const int64_t searched = static_cast<int64_t>(text.size());
  const int64_t next = second == std::string_view::npos ? 0 : static_cast<int64_t>(second);
  score.position = std::max<int64_t>(searched - next, 0) * 1000 / searched;
  return score;
}

PageScorer::PageScorer(std::vector<std::string> words, bool caseSensitive, TextEncoding encoding)
    : m_caseSensitive(caseSensitive), m_encoding(encoding) {
  m_words.reserve(words.size());
  std::string scratch;
  bool same = false;
  for (const std::string& word : words)
    m_words.emplace_back(Prepare(word, &scratch, &same));
  for (size_t k = 0; k < m_words.size(); ++k) {
    size_t equal = 0;
    while (m_words[equal] != m_words[k])
      ++equal;
    m_distinct.push_back(equal == k ? m_distinctCount++ : m_distinct[equal]);
  }
}

std::string_view PageScorer::Prepare(std::string_view text, std::string* scratch,
                                     bool* sameOffsets) const {
  *sameOffsets = true;
  if (m_caseSensitive)
    return text;
  *sameOffsets = FoldCase(text, m_encoding, scratch);
  return *scratch;
}

std::string_view PageScorer::ReadPage(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return {};
  if (m_buffer.size() != kScoredFileBytes)
    m_buffer.resize(kScoredFileBytes);
  size_t done = 0;
  while (done < kScoredFileBytes) {
    ssize_t n = read(fd, m_buffer.data() + done, kScoredFileBytes - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      done = 0;  // an unreadable page (a folder, an I/O error) scores 0
      break;
    }
    if (n == 0)
      break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  const void* zero = memchr(m_buffer.data(), 0, done);
  if (zero != nullptr)
    done = static_cast<size_t>(static_cast<const char*>(zero) - m_buffer.data());
  return std::string_view(m_buffer.data(), done);
}

int32_t PageScorer::Score(const std::string& path, const std::string& title,
                          const std::string& description, const std::string& keywords) {
  if (m_words.empty())
    return 0;
  const std::string_view page = ReadPage(path);
  if (page.empty())
    return 0;
  std::string_view body = page;
  if (!m_caseSensitive) {
    // Folded in place where every character keeps its length; else into m_folded.
    if (FoldCaseInPlace(m_buffer.data(), page.size(), m_encoding) != page.size()) {
      FoldCase(std::string_view(m_buffer.data(), page.size()), m_encoding, &m_folded);
      body = m_folded;
    }
  }
  return ScorePrepared(body, static_cast<int64_t>(page.size()), title, description, keywords).score;
}

PageScore PageScorer::ScoreTexts(std::string_view text, const std::string& title,
                                 const std::string& description, const std::string& keywords) {
  if (m_words.empty())
    return {};
  bool sameOffsets = true;
  const std::string_view body = Prepare(text, &m_folded, &sameOffsets);
  PageScore result =
      ScorePrepared(body, static_cast<int64_t>(text.size()), title, description, keywords);
  if (!sameOffsets && result.firstHit != std::string::npos)
    result.firstHit = FoldedOffsetToOriginal(text, result.firstHit, m_encoding);
  return result;
}

PageScore PageScorer::ScorePrepared(std::string_view body, int64_t bodyLength,
                                    const std::string& title, const std::string& description,
                                    const std::string& keywords) {
  const std::string* texts[3] = {&title, &description, &keywords};
  std::string_view prepared[3];
  for (int k = 0; k < 3; ++k) {
    bool same = false;
    prepared[k] = Prepare(*texts[k], &m_scratch[k], &same);
  }
  m_found.assign(m_distinctCount, 0);
  PageScore result;
  // Wide sums: many words with high weights overflow 32 bits.
  int64_t total = 0;
  int64_t weights = 0;
  for (size_t w = 0; w < m_words.size(); ++w) {
    const std::string& word = m_words[w];
    size_t first[4];
    TextScore b = ScorePreparedText(body, word, bodyLength, &first[0]);
    TextScore t =
        ScorePreparedText(prepared[0], word, static_cast<int64_t>(title.size()), &first[1]);
    TextScore d =
        ScorePreparedText(prepared[1], word, static_cast<int64_t>(description.size()), &first[2]);
    TextScore k =
        ScorePreparedText(prepared[2], word, static_cast<int64_t>(keywords.size()), &first[3]);
    k.weight *= 2;
    total += b.weight * b.position + t.weight * t.position + d.weight * d.position +
             k.weight * k.position;
    weights += k.weight + d.weight + t.weight + b.weight;
    for (size_t hit : first) {
      if (hit != std::string::npos)
        m_found[m_distinct[w]] = 1;
    }
    if (first[0] < result.firstHit)
      result.firstHit = first[0];
  }
  if (weights > 0)
    result.score = static_cast<int32_t>(std::clamp<int64_t>(total * 10 / weights, 0, kBestScore));
  result.anyWord = std::find(m_found.begin(), m_found.end(), 1) != m_found.end();
  result.allWords = std::find(m_found.begin(), m_found.end(), 0) == m_found.end();
  // A page that holds a word is never left out.
  if (result.anyWord && result.score < 1)
    result.score = 1;
  return result;
}

}  // namespace quire
