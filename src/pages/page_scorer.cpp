#include "pages/page_scorer.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quire {
namespace {

// The word's length as the weight counts it: 1 to 10.
int64_t CountedLength(std::string_view word) {
  return std::clamp<int64_t>(static_cast<int64_t>(word.size()), 1, 10);
}

// Offset of `word` in `text` at or after `from`, or npos.
size_t FindFrom(std::string_view text, std::string_view word, size_t from) {
  if (from > text.size())
    return std::string_view::npos;
  const void* hit = memmem(text.data() + from, text.size() - from, word.data(), word.size());
  if (hit == nullptr)
    return std::string_view::npos;
  return static_cast<size_t>(static_cast<const char*>(hit) - text.data());
}

}  // namespace

void FoldAsciiCase(char* text, size_t length) {
  // Branch-free so that the compiler can work on many bytes at once.
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned char lower = static_cast<unsigned char>(c - 'a') < 26 ? 0x20 : 0;
    text[i] = static_cast<char>(c ^ lower);
  }
}

TextScore ScorePreparedText(std::string_view text, std::string_view word) {
  TextScore score;
  const int64_t length = static_cast<int64_t>(text.size());
  if (length == 0)
    return score;
  const int64_t counted = CountedLength(word);
  score.weight = counted * counted * 10 + std::min<int64_t>(counted * 100000 / length, 1000);
  if (word.empty()) {
    score.position = 1000;  // the empty word is found once, at the start
    return score;
  }
  size_t first = FindFrom(text, word, 0);
  if (first == std::string_view::npos)
    return score;
  // The second occurrence may overlap the first: it starts at any later byte.
  size_t second = FindFrom(text, word, first + 1);
  int64_t next = second == std::string_view::npos ? 0 : static_cast<int64_t>(second);
  score.position = (length - next) * 1000 / length;
  return score;
}

PageScorer::PageScorer(std::vector<std::string> words, bool caseSensitive)
    : m_caseSensitive(caseSensitive) {
  m_words.reserve(words.size());
  for (std::string& word : words)
    m_words.push_back(Prepare(std::move(word)));
}

std::string PageScorer::Prepare(std::string text) const {
  if (!m_caseSensitive)
    FoldAsciiCase(text.data(), text.size());
  return text;
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
  if (!m_caseSensitive)
    FoldAsciiCase(m_buffer.data(), done);
  return std::string_view(m_buffer.data(), done);
}

int32_t PageScorer::Score(const std::string& path, const std::string& title,
                          const std::string& description, const std::string& keywords) {
  if (m_words.empty())
    return 0;
  std::string_view body = ReadPage(path);
  if (body.empty())
    return 0;
  const std::string preparedTitle = Prepare(title);
  const std::string preparedDescription = Prepare(description);
  const std::string preparedKeywords = Prepare(keywords);

  // Wide sums: many words with high weights overflow 32 bits.
  int64_t total = 0;
  int64_t weights = 0;
  for (const std::string& word : m_words) {
    TextScore b = ScorePreparedText(body, word);
    TextScore t = ScorePreparedText(preparedTitle, word);
    TextScore d = ScorePreparedText(preparedDescription, word);
    TextScore k = ScorePreparedText(preparedKeywords, word);
    k.weight *= 2;
    total += b.weight * b.position + t.weight * t.position + d.weight * d.position +
             k.weight * k.position;
    weights += k.weight + d.weight + t.weight + b.weight;
  }
  if (weights <= 0)
    return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(total * 10 / weights, 0, kBestScore));
}

}  // namespace quire
