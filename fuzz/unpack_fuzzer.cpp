// Arbitrary LZ streams through the file decoder and through the extraction of a packed
// entry straight from the book (with and without holding the file whole), each checked
// against the in-memory decoder; and arbitrary data through the packer, which must give
// it back.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "book/book_input.h"
#include "book/container_format.h"
#include "book/container_reader.h"
#include "book/entry_extractor.h"
#include "book/lz.h"
#include "book/scrambled.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string packed = fuzz::WriteScratchFile("packed", data, size);
  const std::string output = fuzz::ScratchFolder() + "unpacked";

  const bool fileOk = UnpackFile(packed, output);
  std::string memory;
  const bool memoryOk = LzUnpack(input, &memory);
  if (fileOk != memoryOk)
    fuzz::Finding("the file and memory decoders disagree on whether the stream is whole");
  if (fileOk) {
    std::optional<std::string> written = fuzz::ReadScratchFile("unpacked");
    if (!written || *written != memory)
      fuzz::Finding("the file and memory decoders give different bytes");
  }

  // The same stream stored in a book, scrambled, behind a byte that is not part of it.
  std::string stored = "x" + std::string(input);
  XorBytes(stored.data() + 1, size, kDataKey);
  const std::string book = fuzz::WriteScratchFile(
      "stored", reinterpret_cast<const uint8_t*>(stored.data()), stored.size());
  BookInput in;
  if (!in.Open(book))
    fuzz::Finding("the stored stream cannot be opened");
  EntryExtractor extractor;
  for (bool hold : {false, true}) {
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
      fuzz::Finding("the output cannot be created");
    bool changed = false;
    const EntryExtractor::Result result = extractor.Extract(
        in, 1, static_cast<int64_t>(size), true, fd,
        hold ? EntryExtractor::Change([&changed](std::string*) { changed = true; })
             : EntryExtractor::Change());
    close(fd);
    const bool entryOk = result == EntryExtractor::Result::kDone;
    if (entryOk != memoryOk || changed != (hold && memoryOk))
      fuzz::Finding("extracting the entry and the memory decoder disagree on the stream");
    if (entryOk && fuzz::ReadScratchFile("unpacked") != memory)
      fuzz::Finding("extracting the entry and the memory decoder give different bytes");
  }

  std::string back;
  if (!LzUnpack(LzPack(input), &back) || back != input)
    fuzz::Finding("packing and unpacking does not give the data back");
  return 0;
}
