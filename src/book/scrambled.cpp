#include "book/scrambled.h"

#include <cstring>

#include "book/container_format.h"

namespace quire {

bool ReadScrambledInt(BookInput& in, int32_t* value) {
  uint8_t b[4];
  if (!in.Read(b, sizeof b))
    return false;
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(b[i] ^ kRecordKey);
  *value = static_cast<int32_t>(v);
  return true;
}

bool ReadScrambledText(BookInput& in, std::string* text) {
  int32_t length = 0;
  if (!ReadScrambledInt(in, &length))
    return false;
  if (length < 0 || length > in.Remaining())
    return false;
  std::string bytes(static_cast<size_t>(length), '\0');
  if (!in.Read(bytes.data(), bytes.size()))
    return false;
  XorBytes(bytes.data(), bytes.size(), kRecordKey);
  if (size_t zero = bytes.find('\0'); zero != std::string::npos)
    bytes.resize(zero);
  *text = std::move(bytes);
  return true;
}

bool ExpectScrambledInt(BookInput& in, uint32_t expected) {
  int32_t value = 0;
  return ReadScrambledInt(in, &value) && static_cast<uint32_t>(value) == expected;
}

void AppendScrambledInt(std::string* out, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    out->push_back(static_cast<char>(((v >> (8 * i)) & 0xFF) ^ kRecordKey));
}

void AppendScrambledText(std::string* out, std::string_view text) {
  AppendScrambledInt(out, static_cast<int32_t>(text.size()));
  size_t start = out->size();
  out->append(text);
  XorBytes(out->data() + start, text.size(), kRecordKey);
}

void XorBytes(void* data, size_t size, uint8_t key) {
  uint8_t* p = static_cast<uint8_t*>(data);
  size_t i = 0;
  // Eight bytes at a time; the tail byte by byte.
  const uint64_t wide = 0x0101010101010101ull * key;
  for (; i + 8 <= size; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    w ^= wide;
    std::memcpy(p + i, &w, 8);
  }
  for (; i < size; ++i)
    p[i] ^= key;
}

}  // namespace quire
