// An entry's bytes handed over block by block, unscrambled and unpacked, to whoever reads
// them in memory (the search reads its stored texts this way) without a file between.
#ifndef QUIRE_BOOK_ENTRY_STREAM_H_
#define QUIRE_BOOK_ENTRY_STREAM_H_

#include <cstdint>
#include <functional>
#include <string_view>

#include "book/book_input.h"

namespace quire {

enum class EntryStreamResult {
  kDone,           // every byte was handed over, or the sink asked to stop
  kShortData,      // the stored bytes end (or cannot be read) before their size
  kDamagedStream,  // the LZ stream ends before its end token
};

// Takes one block of the entry's bytes; returns false to stop reading.
using EntryBlockSink = std::function<bool(std::string_view block)>;

// Hands the `size` bytes stored at `position` of `in` (an LZ stream when `packed`) to
// `sink`: plain entries in blocks of up to 1 MiB, packed ones in blocks of the decoder's
// 8 KiB window. Memory stays bounded whatever the size. A negative size or position reads
// nothing (kShortData).
EntryStreamResult StreamEntry(const BookInput& in, int64_t position, int64_t size, bool packed,
                              const EntryBlockSink& sink);

}  // namespace quire

#endif  // QUIRE_BOOK_ENTRY_STREAM_H_
