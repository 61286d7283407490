#include "platform/write_target.h"

#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <vector>

namespace quire {
namespace {

// As many links as the kernel follows in one path before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

// Puts the non-empty '/'-separated parts of `text` in front of `parts`, in order.
void PushFront(std::deque<std::string>& parts, const std::string& text) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t slash = text.find('/', start);
    if (slash == std::string::npos)
      slash = text.size();
    if (slash > start)
      pieces.push_back(text.substr(start, slash - start));
    start = slash + 1;
  }
  parts.insert(parts.begin(), pieces.begin(), pieces.end());
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The folder above `folder`, an absolute path without links; "/" stays "/".
std::string Parent(const std::string& folder) {
  const size_t slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

bool ReadLink(const std::string& path, std::string* target) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0)
      return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      target->assign(buffer.data(), static_cast<size_t>(n));
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool MayFollowLink(const struct stat& link, const struct stat& folder, uid_t follower) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == follower || link.st_uid == folder.st_uid;
}

WriteTarget FindWriteTarget(const std::string& path, uid_t follower) {
  WriteTarget result;
  result.path = path;
  if (path.empty()) {
    result.allowed = true;
    return result;
  }
  // `done` is the part walked so far, absolute and free of links, so ".." can be taken
  // off it by name.
  std::string done = "/";
  if (path[0] != '/') {
    char* here = getcwd(nullptr, 0);
    if (here == nullptr)
      return result;
    done = here;
    std::free(here);
  }
  std::deque<std::string> rest;
  PushFront(rest, path);
  int links = 0;
  bool missing = false;
  bool sawLink = false;
  while (!rest.empty()) {
    const std::string name = std::move(rest.front());
    rest.pop_front();
    if (name == ".")
      continue;
    if (name == "..") {
      done = Parent(done);
      continue;
    }
    const std::string candidate = Join(done, name);
    struct stat info {};
    if (missing || lstat(candidate.c_str(), &info) != 0) {
      // Nothing below a missing part can be a link.
      missing = true;
      done = candidate;
      continue;
    }
    if (!S_ISLNK(info.st_mode)) {
      done = candidate;
      continue;
    }
    struct stat folder {};
    std::string target;
    if (stat(done.c_str(), &folder) != 0 || !MayFollowLink(info, folder, follower) ||
        ++links > kMaxLinks || !ReadLink(candidate, &target)) {
      return result;
    }
    sawLink = true;
    if (!target.empty() && target[0] == '/')
      done = "/";
    PushFront(rest, target);
  }
  result.allowed = true;
  result.linkFree = !missing;
  if (sawLink && !missing)
    result.path = done;
  return result;
}

}  // namespace quire
