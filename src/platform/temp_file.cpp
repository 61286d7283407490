#include "platform/temp_file.h"

#include <fcntl.h>
#include <stdlib.h>

#include <vector>

#include "platform/paths.h"

namespace quire {

int CreateUniqueTempFile(const std::string& prefix, std::string* path) {
  path->clear();
  const std::string folder = PrivateTempFolder();
  if (folder.empty())
    return -1;
  std::string pattern = folder + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0)
    *path = name.data();
  return fd;
}

}  // namespace quire
