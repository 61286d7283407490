#include "platform/elf_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

// This test program itself: a real ELF file that nothing was appended to.
std::string OwnProgram() {
  std::optional<std::string> bytes = ReadWholeFile("/proc/self/exe");
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or("");
}

void Put(std::string* bytes, size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i)
    (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

// A minimal image: the header, one segment of 16 bytes at 120, and one section header
// table of two entries (the null one and a section of 8 bytes at 128) at 136.
std::string SmallImage() {
  std::string bytes(136 + 2 * 64, '\0');
  std::memcpy(bytes.data(),
              "\x7f"
              "ELF\x02\x01\x01",
              7);
  Put(&bytes, 32, 64, 8);         // e_phoff
  Put(&bytes, 40, 136, 8);        // e_shoff
  Put(&bytes, 54, 56, 2);         // e_phentsize
  Put(&bytes, 56, 1, 2);          // e_phnum
  Put(&bytes, 58, 64, 2);         // e_shentsize
  Put(&bytes, 60, 2, 2);          // e_shnum
  Put(&bytes, 64 + 8, 120, 8);    // p_offset
  Put(&bytes, 64 + 32, 16, 8);    // p_filesz
  Put(&bytes, 200 + 4, 1, 4);     // sh_type PROGBITS
  Put(&bytes, 200 + 24, 128, 8);  // sh_offset
  Put(&bytes, 200 + 32, 8, 8);    // sh_size
  return bytes;
}

TEST(ElfImageEndTest, AProgramEndsWhereItsFileEndsUntilSomethingIsAppended) {
  ScopedTmpdir tmp;
  const std::string program = OwnProgram();
  ASSERT_TRUE(WriteWholeFile(tmp.File("program"), program));
  EXPECT_EQ(ElfImageEnd(tmp.File("program")), program.size());
  ASSERT_TRUE(WriteWholeFile(tmp.File("book"), program + std::string(5000, 'b')));
  EXPECT_EQ(ElfImageEnd(tmp.File("book")), program.size());

  ASSERT_TRUE(WriteWholeFile(tmp.File("small"), SmallImage()));
  EXPECT_EQ(ElfImageEnd(tmp.File("small")), 264u);
}

TEST(ElfImageEndTest, WhatIsNoMeasurableImageGivesNothing) {
  ScopedTmpdir tmp;
  const struct {
    const char* name;
    size_t at;
    uint64_t value;
    int width;
  } damages[] = {
      {"no ELF mark", 1, 'X', 1},
      {"32-bit", 4, 1, 1},
      {"big-endian", 5, 2, 1},
      {"section table past the end", 40, 1000, 8},
      {"section table at an offset that wraps", 40, ~0ull - 10, 8},
      {"section entries of another size", 58, 40, 2},
      {"program entries of another size", 54, 32, 2},
      {"too many sections", 60, 0xFFFF, 2},
      {"a segment past the end", 64 + 32, 1u << 20, 8},
      {"a section past the end", 200 + 24, 300, 8},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    std::string bytes = SmallImage();
    Put(&bytes, damage.at, damage.value, damage.width);
    ASSERT_TRUE(WriteWholeFile(tmp.File("damaged"), bytes));
    EXPECT_EQ(ElfImageEnd(tmp.File("damaged")), std::nullopt);
  }
  // A section that takes no file bytes may say any size.
  std::string bytes = SmallImage();
  Put(&bytes, 200 + 4, 8, 4);  // SHT_NOBITS
  Put(&bytes, 200 + 32, 1u << 30, 8);
  ASSERT_TRUE(WriteWholeFile(tmp.File("bss"), bytes));
  EXPECT_EQ(ElfImageEnd(tmp.File("bss")), 264u);

  ASSERT_TRUE(WriteWholeFile(tmp.File("short"), SmallImage().substr(0, 40)));
  EXPECT_EQ(ElfImageEnd(tmp.File("short")), std::nullopt);
  ASSERT_TRUE(WriteWholeFile(tmp.File("text"), "not a program at all, just some words"));
  EXPECT_EQ(ElfImageEnd(tmp.File("text")), std::nullopt);
  EXPECT_EQ(ElfImageEnd(tmp.File("missing")), std::nullopt);
  EXPECT_EQ(ElfImageEnd(tmp.Path()), std::nullopt);
}

}  // namespace
}  // namespace quire
