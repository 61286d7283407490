// Books of real documentation installed on this machine, built by quire-pack and opened as
// the reader opens them, for benchmarks that work on a whole book.
#ifndef QUIRE_BENCH_SUPPORT_DOC_BOOK_H_
#define QUIRE_BENCH_SUPPORT_DOC_BOOK_H_

#include <memory>
#include <string>
#include <vector>

#include "pages/reader_context.h"

namespace quire::bench {

struct DocBook {
  std::string name;     // how the summary calls it: "Rust"
  std::string html;     // the documentation's folder
  std::string package;  // the Debian package that installs it, for the skip message
  std::string bookEnv;  // a variable that may name a book built beforehand instead
  // Filled by OpenDocBook:
  std::string missing;             // why there is nothing to measure; empty when there is
  std::string base;                // the scratch folder of this book
  std::string book;                // the book file
  std::vector<std::string> pages;  // the extracted searchable pages, full paths
  double megabytes = 0;            // of those pages
  // The reader that loaded it (its book and page store).
  std::shared_ptr<ReaderContext> reader = std::make_shared<ReaderContext>();
};

// Builds `doc` with quire-pack (the one beside this program, or $QUIRE_PACK): plain first,
// with --flatten when that is refused. A book named by $<bookEnv> is taken as it is. Then
// loads it as the reader does (its pages extracted into a private TMPDIR) and lists its
// searchable pages. On any failure `missing` says why. The book stays loaded until
// CloseDocBook.
void OpenDocBook(DocBook* doc);
// Removes what loading wrote, and the scratch folder.
void CloseDocBook(DocBook* doc);

// Runs `grep -ciF word` over `pages` (in batches that fit a command line), output thrown
// away; false when grep fails.
bool GrepCount(const std::string& word, const std::vector<std::string>& pages);

}  // namespace quire::bench

#endif  // QUIRE_BENCH_SUPPORT_DOC_BOOK_H_
