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

// Every folder from `current` (a real path) up to / follows the rule.
bool FoldersUpToRootAreTheirs(std::string current, uid_t user) {
  struct stat info {};
  for (;;) {
    if (lstat(current.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        !OwnedByUserOrRoot(info, user)) {
      return false;
    }
    if ((info.st_mode & kOthersWrite) != 0 && (info.st_mode & S_ISVTX) == 0)
      return false;
    if (current == "/")
      return true;
    const size_t slash = current.rfind('/');
    current = slash == 0 ? std::string("/") : current.substr(0, slash);
  }
}

// No link among the prefixes of `path` as written belongs to a stranger.
bool LinksOnTheWayAreTheirs(const std::string& path, uid_t user) {
  for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string prefix = path.substr(0, end);
    struct stat info {};
    if (!prefix.empty() && lstat(prefix.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
        !OwnedByUserOrRoot(info, user)) {
      return false;
    }
    if (end == std::string::npos)
      return true;
  }
}

}  // namespace

bool OnlyOwnerCanChangeFolder(const std::string& path, uid_t user) {
  char resolved[PATH_MAX];
  if (path.empty() || path.front() != '/' || !LinksOnTheWayAreTheirs(path, user) ||
      realpath(path.c_str(), resolved) == nullptr) {
    return false;
  }
  return FoldersUpToRootAreTheirs(resolved, user);
}

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
  const size_t slash = current.rfind('/');
  return FoldersUpToRootAreTheirs(slash == 0 ? std::string("/") : current.substr(0, slash), user);
}

}  // namespace quire
