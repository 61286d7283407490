#include "platform/owner_only_path.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

namespace quire {
namespace {

constexpr mode_t kOthersWrite = S_IWGRP | S_IWOTH;

bool OwnedByUserOrRoot(const struct stat& info, uid_t user) {
  return info.st_uid == user || info.st_uid == 0;
}

}  // namespace

bool OnlyOwnerCanChange(const std::string& path, uid_t user) {
  char resolved[PATH_MAX];
  if (path.empty() || realpath(path.c_str(), resolved) == nullptr)
    return false;
  std::string current = resolved;
  struct stat info {};
  if (lstat(current.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      !OwnedByUserOrRoot(info, user) || (info.st_mode & kOthersWrite) != 0) {
    return false;
  }
  while (current != "/") {
    const size_t slash = current.rfind('/');
    current = slash == 0 ? std::string("/") : current.substr(0, slash);
    if (lstat(current.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        !OwnedByUserOrRoot(info, user)) {
      return false;
    }
    if ((info.st_mode & kOthersWrite) != 0 && (info.st_mode & S_ISVTX) == 0)
      return false;
  }
  return true;
}

}  // namespace quire
