// Making a folder and every missing folder above it.
#ifndef QUIRE_PLATFORM_MAKE_FOLDERS_H_
#define QUIRE_PLATFORM_MAKE_FOLDERS_H_

#include <sys/types.h>

#include <functional>
#include <string>

namespace quire {

// Makes every missing folder of `path` (with or without a trailing '/'; "//" counts as
// one '/'), parents first, with `mode`, and tells `onMade` each folder it made, in the
// order made, as the part of `path` that names it (without a trailing '/'). A folder that is
// already there may also be a link to a folder. True when every folder of the path exists as a
// folder afterwards; false at the first one that can be neither found nor made (or is a file).
bool MakeFolders(const std::string& path, mode_t mode,
                 const std::function<void(const std::string& folder)>& onMade = nullptr);

}  // namespace quire

#endif  // QUIRE_PLATFORM_MAKE_FOLDERS_H_
