// Uniquely named files in the private temporary folder.
#ifndef QUIRE_PLATFORM_TEMP_FILE_H_
#define QUIRE_PLATFORM_TEMP_FILE_H_

#include <string>

namespace quire {

// Creates a new empty file "<PrivateTempFolder()><prefix>XXXXXX" (mode 0600, mkstemp)
// and returns its open descriptor, with the path in `path`. Returns -1 (and leaves
// `path` empty) when there is no private temporary folder or the file cannot be made.
int CreateUniqueTempFile(const std::string& prefix, std::string* path);

}  // namespace quire

#endif  // QUIRE_PLATFORM_TEMP_FILE_H_
