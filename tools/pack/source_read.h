// The second step of a build: reading the planned files (source_plan.h), on several
// processors at once, each into the entry the book keeps for it and, when a book is being
// written, the bytes it stores. Reading a page also finds where its links lead (for the
// reading order) and the references that will not work in the book.
#ifndef QUIRE_TOOLS_PACK_SOURCE_READ_H_
#define QUIRE_TOOLS_PACK_SOURCE_READ_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "book/ebook_records.h"
#include "source_plan.h"

namespace quire::pack {

struct ReadResult {
  // The name, flags and texts the file gets by its kind and its head (DefaultFileEntry),
  // with the title a flattened page's parse or a kept page's first <h1> gives, and its
  // [file:] section applied. The sort key of the reading order is set later.
  EBookFile entry;
  // The files (indexes into the plan) that the page's links lead to, each once, in the
  // order they first stand.
  std::vector<uint32_t> links;
  std::vector<std::string> issues;    // references that will not work: "a.html:12: ..."
  std::vector<std::string> warnings;  // anything else worth saying of the file
  bool changed = false;               // `data` is what the book stores instead of the file
  bool scriptLinks = false;           // a page or script holding script links (##, #!, #@)
  std::string data;                   // the rewritten file, when changed
  std::string stored;                 // with ReadOptions::store: the bytes the book stores
};

struct ReadOptions {
  // Fill ReadResult::stored: the file LZ-packed when its entry is packed, else the file
  // (rewritten, when it was).
  bool store = false;
};

// Reads plan.files[index]. Thread-safe for one plan. False with `error` when the file
// cannot be read.
bool ReadSource(const SourcePlan& plan, size_t index, const ReadOptions& options,
                ReadResult* result, std::string* error);

// Receives each file's result, in plan order; false with `error` stops the reading.
using ConsumeRead = std::function<bool(size_t index, ReadResult&& result, std::string* error)>;

// At most this many files, and beyond the one to be handed on next at most this many bytes
// of files (as planned), are read or wait to be handed on at once: memory stays bounded
// whatever the size of the site.
inline constexpr size_t kMaxFilesInFlight = 64;
inline constexpr uint64_t kMaxBytesInFlight = uint64_t{32} << 20;

// Reads every planned file on the machine's processors (at most 8 threads) and hands each
// result to `consume` on the calling thread, in plan order, as soon as it and every file
// before it are read. Stops at the first failure in plan order (a file that cannot be
// read, or `consume` saying no) and returns false with its `error`.
bool ReadSourcesInOrder(const SourcePlan& plan, const ReadOptions& options,
                        const ConsumeRead& consume, std::string* error);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SOURCE_READ_H_
