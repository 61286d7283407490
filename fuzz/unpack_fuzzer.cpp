// Arbitrary LZ streams through the file decoder the reader uses, checked against the
// in-memory decoder; and arbitrary data through the packer, which must give it back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "book/container_reader.h"
#include "book/lz.h"
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

  std::string back;
  if (!LzUnpack(LzPack(input), &back) || back != input)
    fuzz::Finding("packing and unpacking does not give the data back");
  return 0;
}
