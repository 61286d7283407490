#include "pages/page_scorer.h"

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

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

void FoldAsciiCase(char* text, size_t length) {
  // Eight bytes at a time: a byte is a lower-case letter when its low seven bits lie in
  // 'a'..'z' and its top bit is clear; such bytes lose their 0x20 bit.
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHigh = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t x;
    memcpy(&x, text + i, 8);
    uint64_t low = x & ~kHigh;
    uint64_t atLeastA = low + kOnes * (0x80 - 'a');
    uint64_t aboveZ = low + kOnes * (0x80 - 'z' - 1);
    uint64_t letters = (atLeastA ^ aboveZ) & ~x & kHigh;
    x ^= letters >> 2;
    memcpy(text + i, &x, 8);
  }
  for (; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 'a' && c <= 'z')
      text[i] = static_cast<char>(c - 0x20);
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
  size_t first = FindWord(text, word, 0);
  if (first == std::string_view::npos)
    return score;
  // The first occurrence's first byte counts as a blank, then the search goes on from that
  // same byte: so a later occurrence may overlap the first one, and a word that begins
  // with a blank is found again right where it was.
  size_t second = FindWord(text, word, word.front() == ' ' ? first : first + 1);
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
