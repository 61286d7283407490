#include "default_identity.h"

#include <cstdint>
#include <cstdio>

#include "book_plan.h"

namespace quire::pack {

namespace {

// Leaves room for the '-' and the hash in a book id of 63 bytes.
constexpr size_t kNamePart = 54;

uint64_t Fnv1a(const std::string& bytes, uint64_t hash = 14695981039346656037ull) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::string DefaultEsbn(const std::string& title, const std::string& folderName) {
  // The zero byte keeps "ab" + "c" apart from "a" + "bc".
  const uint64_t hash = Fnv1a(folderName, Fnv1a(std::string(1, '\0'), Fnv1a(title)));
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x",
                static_cast<unsigned>((hash >> 32) ^ (hash & 0xFFFFFFFFu)));
  return IdentifierFromName(folderName).substr(0, kNamePart) + "-" + digits;
}

}  // namespace quire::pack
