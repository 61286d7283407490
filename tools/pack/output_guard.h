// Checks that keep quire-pack from writing over what it reads.
#ifndef QUIRE_TOOLS_PACK_OUTPUT_GUARD_H_
#define QUIRE_TOOLS_PACK_OUTPUT_GUARD_H_

#include <string>
#include <vector>

namespace quire::pack {

// True when both paths name the same existing file (same device and inode, so hard links
// and different spellings of one path count as the same file).
bool IsSameFile(const std::string& a, const std::string& b);

// True when `path` (existing or not) lies inside the folder `dir`, by real paths.
bool IsInsideFolder(const std::string& path, const std::string& dir);

// False with `error` when `output` is one of `inputs`, is a folder, or its folder does not
// exist.
bool CheckOutputPath(const std::string& output, const std::vector<std::string>& inputs,
                     std::string* error);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_OUTPUT_GUARD_H_
