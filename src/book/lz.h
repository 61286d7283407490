// The container's LZ packing, in memory. The stream format is described in lz_decoder.h;
// the reader decodes a book's packed entries with EntryExtractor (entry_extractor.h), and
// UnpackFile (container_reader.h) decodes a stream file into another file.
#ifndef QUIRE_BOOK_LZ_H_
#define QUIRE_BOOK_LZ_H_

#include <string>
#include <string_view>

namespace quire {

// Packs `data` into an LZ stream ending with the end token. Always succeeds; the output
// decodes to exactly `data`.
std::string LzPack(std::string_view data);

// Decodes `stream` into `out`. False when the stream ends before its end token (out then
// holds what was decoded so far). Bits after the end token are ignored.
bool LzUnpack(std::string_view stream, std::string* out);

}  // namespace quire

#endif  // QUIRE_BOOK_LZ_H_
