#include "session/view_address.h"

#include <sys/stat.h>

#include "pages/file_url.h"

namespace quire {

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool HasUrlScheme(const std::string& target) {
  if (target.empty() || !IsAsciiLetter(target[0]))
    return false;
  size_t i = 1;
  while (i < target.size() && (IsAsciiLetter(target[i]) || (target[i] >= '0' && target[i] <= '9') ||
                               target[i] == '+' || target[i] == '-' || target[i] == '.'))
    ++i;
  return i < target.size() && target[i] == ':' && i >= 2;
}

std::string ViewUrlForTarget(const std::string& target) {
  if (target.empty() || HasUrlScheme(target))
    return target;
  size_t hash = target.find('#');
  if (hash != std::string::npos && !Exists(target) && Exists(target.substr(0, hash)))
    return FileUrlFromPath(target.substr(0, hash)) + target.substr(hash);
  return FileUrlFromPath(target);
}

}  // namespace quire
