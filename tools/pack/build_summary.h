// The one line build prints when it wrote a book.
#ifndef QUIRE_TOOLS_PACK_BUILD_SUMMARY_H_
#define QUIRE_TOOLS_PACK_BUILD_SUMMARY_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace quire::pack {

struct BuildSummary {
  std::string output;     // the book written
  size_t pages = 0;       // stored .html and .htm files
  size_t otherFiles = 0;  // everything else stored
  int64_t bookSize = 0;   // bytes of the whole book file
  std::string imagePath;  // the reader program it starts with
  int64_t imageSize = 0;  // bytes of that program
  size_t warnings = 0;
};

// "Wrote BOOK: 3 pages, 2 other files, 412.5 KiB book (reader image 398.1 KiB, PATH)",
// then ", N warnings" when there were any.
std::string BuildSummaryLine(const BuildSummary& summary);

// A size for people: "812 bytes", "412.5 KiB", "3.4 MiB".
std::string ReadableSize(int64_t bytes);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_BUILD_SUMMARY_H_
