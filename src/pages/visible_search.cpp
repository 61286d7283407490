#include "pages/visible_search.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "book/book_input.h"
#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/page_scorer.h"
#include "pages/reader_context.h"
#include "pages/search_excerpt.h"
#include "pages/search_text_store.h"
#include "pages/visible_text.h"
#include "platform/paths.h"
#include "ui/status_progress.h"

namespace quire {

namespace {

// A regular file, at most its first kMaxStoredPageText bytes (no page's text is longer);
// empty when it cannot be read.
std::string ReadPageFile(const std::string& path) {
  std::string bytes;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return bytes;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.resize(std::min<size_t>(static_cast<size_t>(info.st_size), kMaxStoredPageText));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR)
        continue;
      if (got <= 0)
        break;
      done += static_cast<size_t>(got);
    }
    bytes.resize(done);
  }
  close(fd);
  return bytes;
}

}  // namespace

bool SearchHitBefore(const SearchHit& a, const SearchHit& b) {
  if (a.allWords != b.allWords)
    return a.allWords;
  return PageEntryBefore(a.entry, b.entry);
}

int SearchTextEntryIndex(const CEBook& book) {
  const std::vector<EBookFile>& files = book.Files();
  for (size_t i = files.size(); i-- > 0;) {
    if (IsSearchTextEntry(book.Features(), files[i]))
      return static_cast<int>(i);
  }
  return -1;
}

void SearchVisibleText(ReaderContext& context, const std::vector<std::string>& words,
                       bool caseSensitive, std::vector<SearchHit>* hits) {
  const CEBook& book = context.book;
  const std::vector<EBookFile>& files = book.Files();
  const size_t n = files.size();
  const std::string folder = context.store.BookFolder();
  const int store = SearchTextEntryIndex(book);
  PageScorer scorer(words, caseSensitive, book.Encoding());
  StatusProgress progress(*context.window, "Searching");
  auto step = [&](size_t i) { progress.Step(static_cast<int>(100 * (i + 1) / (n + 1))); };
  auto score = [&](size_t i, std::string_view text) {
    const EBookFile& file = files[i];
    const PageScore page = scorer.ScoreTexts(text, file.title, file.description, file.keywords);
    if (page.score <= 0)
      return;
    SearchHit hit;
    hit.entry = {file.title, file.description, folder + file.fileName, page.score, {}};
    hit.allWords = page.allWords;
    hit.excerpt =
        MakeExcerpt(text, page.firstHit, scorer.PreparedWords(), caseSensitive, scorer.Encoding());
    hits->push_back(std::move(hit));
  };
  // Entries before `end` that the stored texts have not given: each searchable one is read
  // from its extracted file.
  size_t next = 0;
  auto readUpTo = [&](size_t end) {
    for (; next < end; ++next) {
      step(next);
      const EBookFile& file = files[next];
      if (!file.searchable || !scorer.HasWords() || static_cast<int>(next) == store)
        continue;
      const std::string bytes = ReadPageFile(folder + file.fileName);
      score(next, SearchTextOfFile(file.fileName, bytes, scorer.Encoding()));
    }
  };
  if (store >= 0 && scorer.HasWords()) {
    const EBookFile& entry = files[static_cast<size_t>(store)];
    BookInput in;
    if (in.Open(book.File())) {
      const int64_t position = int64_t{book.Trailer().dataBase} + entry.dataOffset;
      ReadSearchTexts(in, position, entry.storedSize, entry.packed, files,
                      [&](size_t index, std::string_view text) {
                        readUpTo(index);
                        step(index);
                        score(index, text);
                        next = index + 1;
                      });
    }
  }
  readUpTo(n);
}

}  // namespace quire
