// Private-profile (INI) files: the small "key=value" files that books read and write.
//
// Format, as books expect it:
//   - lines end with "\n" or "\r\n"; a "\r" before the "\n" is not part of the line;
//   - a section starts with a line "[name]" (blanks around the line and the name are
//     ignored) and runs to the next section line or the end of the file;
//   - inside a section a line "key=value" holds a key; blanks around the key and the
//     value are ignored, and a value wrapped in a matching pair of '"' or '\'' is
//     given without them;
//   - lines starting with ';' or '#', lines without '=', and keys before the first
//     section are never matched;
//   - section and key names are compared without regard to ASCII letter case; the first
//     section of a name is the one used, and within it the first key of a name.
//
// A file larger than 16 MiB is treated as one that cannot be read: it gives the default
// and is never rewritten.
//
// File names: a bare name (no '/' and no '\\') lives in ConfigFolder(); any other path is
// converted with ToNativePath and used as it is (a relative path is relative to the
// current folder).
#ifndef QUIRE_PLATFORM_INI_FILE_H_
#define QUIRE_PLATFORM_INI_FILE_H_

#include <cstddef>
#include <string>

#include "platform/env.h"

namespace quire {

// The buffer the INIREAD command reads with: values are cut to one byte less.
inline constexpr std::size_t kIniReadBufferSize = 32000;

// Where `iniFile` is read from and written to (see above). Empty for an empty name.
std::string IniFilePath(const std::string& iniFile);

// The value of `key` in `section` of `iniFile`, or `defaultValue` when the file, the
// section or the key is missing or the file cannot be read. Whatever is returned is cut
// to `bufferSize - 1` bytes, as a value read into a buffer of `bufferSize` bytes with its
// terminator would be (nothing at all for a buffer of 0).
std::string ReadIniValue(const std::string& iniFile, const std::string& section,
                         const std::string& key, const std::string& defaultValue,
                         std::size_t bufferSize = kIniReadBufferSize);

// Sets `key` in `section` of `iniFile` to `value`, creating the file, the section and the
// key as needed: an existing key's line gets the new value right after its '=' (what
// stood there before, blanks included, goes), a new key goes
// after the last non-blank line of its section, a new section goes to the end of the
// file. Every other byte of the file is kept (comments, order, other sections, the
// file's line ends). A bare file name makes ConfigFolder() (mode 0700) when missing.
//
// The file is replaced atomically (a temporary file in the same folder, then a rename),
// keeping the old file's permissions, so a failed write leaves the old file as it was.
// A link is followed and its target replaced, except one that another user planted in a
// shared sticky folder (see write_target.h): then nothing is written.
//
// Section and key names are used with surrounding blanks removed. False when nothing
// was written: the write failed, the section or key is empty, a name or the value holds a
// line break, the key holds '=' or starts with '[', ';' or '#', or the section holds ']'
// (any of these would change the file's structure rather than one value). The old file
// is opened and the new one written through `env`.
bool WriteIniValue(const std::string& iniFile, const std::string& section, const std::string& key,
                   const std::string& value, Env* env = Env::Default());

}  // namespace quire

#endif  // QUIRE_PLATFORM_INI_FILE_H_
