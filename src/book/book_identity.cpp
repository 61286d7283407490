#include "book/book_identity.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "book/book_input.h"
#include "book/container_format.h"

namespace quire {

namespace {

constexpr size_t kBlockBytes = 64 * 1024;

void Mix(uint64_t* hash, const void* bytes, size_t size) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (size_t i = 0; i < size; ++i) {
    *hash ^= p[i];
    *hash *= 1099511628211ull;
  }
}

// Mixes in up to kBlockBytes from `position` (nothing for a position outside the file).
void MixBlock(uint64_t* hash, const BookInput& in, int64_t position) {
  std::vector<unsigned char> block(kBlockBytes);
  size_t got = 0;
  if (position >= 0 && position < in.Size())
    got = in.ReadAt(position, block.data(), block.size());
  Mix(hash, &got, sizeof got);
  Mix(hash, block.data(), got);
}

}  // namespace

std::string BookFileIdentity(const std::string& path, const EBookTrailer& trailer) {
  BookInput in;
  if (!in.Open(path))
    return {};
  uint64_t hash = 14695981039346656037ull;
  const int64_t size = in.Size();
  Mix(&hash, &size, sizeof size);
  MixBlock(&hash, in, size - static_cast<int64_t>(kTrailerSize));
  MixBlock(&hash, in, trailer.settingsPos);
  MixBlock(&hash, in, trailer.directoryPos);
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace quire
