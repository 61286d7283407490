#include "platform/make_folders.h"

#include <sys/stat.h>

#include <cerrno>

namespace quire {

bool MakeFolders(const std::string& path, mode_t mode,
                 const std::function<void(const std::string& folder)>& onMade) {
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!folder.empty() && folder.back() != '/') {  // "a//b" and a trailing '/' add nothing
      if (mkdir(folder.c_str(), mode) == 0) {
        if (onMade)
          onMade(folder);
      } else {
        struct stat info {};
        // Already there (or made meanwhile by another process): it must be a folder.
        if (errno != EEXIST || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
          return false;
      }
    }
    if (end == std::string::npos)
      return true;
  }
}

}  // namespace quire
