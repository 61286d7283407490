// Finding the reader program that books are appended to.
#ifndef QUIRE_TOOLS_PACK_READER_IMAGE_H_
#define QUIRE_TOOLS_PACK_READER_IMAGE_H_

#include <string>

namespace quire::pack {

// The reader image to use: `explicitPath` when not empty; otherwise "quire-reader" (the
// stripped reader) beside this program or one folder up (the build tree keeps quire-pack
// in tools/), then "quire" there, then "quire-reader" and "quire" on PATH. The chosen file must be
// an ELF executable. False with `error` when none is found or the file is not an ELF program.
bool FindReaderImage(const std::string& explicitPath, std::string* path, std::string* error);

// True when the file starts with the ELF magic bytes.
bool IsElfFile(const std::string& path);

// True when `bytes` is an ELF shared object (type ET_DYN), the only kind of extension
// library the Linux reader can load.
bool IsElfSharedObject(const std::string& bytes);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_READER_IMAGE_H_
