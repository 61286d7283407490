// How far a program file's own image reaches: the ELF header, its program and section
// header tables and everything they point at. Bytes after that end were appended to the
// program (a book); a program file that ends there carries nothing.
#ifndef QUIRE_PLATFORM_ELF_IMAGE_H_
#define QUIRE_PLATFORM_ELF_IMAGE_H_

#include <cstdint>
#include <optional>
#include <string>

namespace quire {

// The end of the 64-bit little-endian ELF image at the start of the file at `path`: the
// largest end of its header, its two header tables, its segments' file contents and its
// sections' contents (sections that occupy no file bytes do not count). Nothing when the
// file cannot be read, is no such ELF file, or a table or a content lies beyond the
// file's end or has entries of the wrong size: counts are never trusted before they are
// checked against the file's size.
std::optional<uint64_t> ElfImageEnd(const std::string& path);

}  // namespace quire

#endif  // QUIRE_PLATFORM_ELF_IMAGE_H_
