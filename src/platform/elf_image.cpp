#include "platform/elf_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quire {

namespace {

constexpr size_t kHeaderSize = 64;
constexpr size_t kProgramHeaderSize = 56;
constexpr size_t kSectionHeaderSize = 64;
constexpr uint32_t kNoBits = 8;  // SHT_NOBITS: a section without file contents
// More entries than any real program has; a count beyond it is damage.
constexpr uint64_t kMostEntries = 1u << 16;

uint64_t Read64(const unsigned char* bytes) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i)
    value = value << 8 | bytes[i];
  return value;
}

uint32_t Read32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t Read16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

class File {
 public:
  explicit File(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (m_fd >= 0)
      close(m_fd);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  std::optional<uint64_t> Size() const {
    struct stat info;
    if (m_fd < 0 || fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
      return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
  }

  bool ReadAt(uint64_t offset, size_t size, std::vector<unsigned char>* bytes) const {
    bytes->assign(size, 0);
    size_t done = 0;
    while (done < size) {
      ssize_t n = pread(m_fd, bytes->data() + done, size - done, static_cast<off_t>(offset + done));
      if (n <= 0)
        return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int m_fd;
};

// The end of `size` bytes at `offset`, when they lie within `fileSize`.
std::optional<uint64_t> EndWithin(uint64_t offset, uint64_t size, uint64_t fileSize) {
  if (offset > fileSize || size > fileSize - offset)
    return std::nullopt;
  return offset + size;
}

}  // namespace

std::optional<uint64_t> ElfImageEnd(const std::string& path) {
  File file(path);
  const std::optional<uint64_t> fileSize = file.Size();
  std::vector<unsigned char> header;
  if (!fileSize || *fileSize < kHeaderSize || !file.ReadAt(0, kHeaderSize, &header))
    return std::nullopt;
  // "\x7f" "ELF", 64-bit, little-endian.
  if (std::memcmp(header.data(),
                  "\x7f"
                  "ELF",
                  4) != 0 ||
      header[4] != 2 || header[5] != 1)
    return std::nullopt;
  const uint64_t programOffset = Read64(&header[32]);
  const uint64_t sectionOffset = Read64(&header[40]);
  const uint16_t programEntrySize = Read16(&header[54]);
  const uint64_t programCount = Read16(&header[56]);
  const uint16_t sectionEntrySize = Read16(&header[58]);
  const uint64_t sectionCount = Read16(&header[60]);
  if ((programCount > 0 && programEntrySize != kProgramHeaderSize) ||
      (sectionCount > 0 && sectionEntrySize != kSectionHeaderSize) || programCount > kMostEntries ||
      sectionCount > kMostEntries)
    return std::nullopt;

  uint64_t end = kHeaderSize;
  auto extend = [&](uint64_t offset, uint64_t size) {
    const std::optional<uint64_t> reach = EndWithin(offset, size, *fileSize);
    if (reach)
      end = std::max(end, *reach);
    return reach.has_value();
  };
  std::vector<unsigned char> table;
  if (programCount > 0) {
    const uint64_t size = programCount * kProgramHeaderSize;
    if (!extend(programOffset, size) || !file.ReadAt(programOffset, size, &table))
      return std::nullopt;
    for (uint64_t i = 0; i < programCount; ++i) {
      const unsigned char* entry = &table[i * kProgramHeaderSize];
      if (!extend(Read64(entry + 8), Read64(entry + 32)))  // p_offset, p_filesz
        return std::nullopt;
    }
  }
  if (sectionCount > 0) {
    const uint64_t size = sectionCount * kSectionHeaderSize;
    if (!extend(sectionOffset, size) || !file.ReadAt(sectionOffset, size, &table))
      return std::nullopt;
    for (uint64_t i = 0; i < sectionCount; ++i) {
      const unsigned char* entry = &table[i * kSectionHeaderSize];
      if (Read32(entry + 4) == kNoBits)  // sh_type
        continue;
      if (!extend(Read64(entry + 24), Read64(entry + 32)))  // sh_offset, sh_size
        return std::nullopt;
    }
  }
  return end;
}

}  // namespace quire
