// Text the benchmarks work on: real HTML from this machine and made-up words.
#ifndef QUIRE_BENCH_SUPPORT_BENCH_TEXT_H_
#define QUIRE_BENCH_SUPPORT_BENCH_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quire::bench {

// The HTML documentation installed on this machine (under /usr/share/doc, then CMake's
// and GTK's), read in a fixed order and joined, at most `limit` bytes. Empty when there
// is none; `fileCount` (if non-null) receives how many files were read.
std::string MachineHtmlCorpus(size_t limit, size_t* fileCount = nullptr);

// A new empty folder "<TMPDIR or /tmp>/quire-<name>-XXXXXX" for one benchmark run. Ends
// the program with a message when it cannot be made: a benchmark has nothing to measure
// without it.
std::string MakeScratchFolder(const std::string& name);

// How many regular files the folder `site` holds, links to folders followed, and their
// bytes; what cannot be read is not counted.
struct SiteSize {
  size_t files = 0;
  uint64_t bytes = 0;
};
SiteSize MeasureSite(const std::string& site);

// 5000 words of one to four syllables, drawn from `rng`.
std::vector<std::string> SyllableVocabulary(std::mt19937& rng);

}  // namespace quire::bench

#endif  // QUIRE_BENCH_SUPPORT_BENCH_TEXT_H_
