#include "platform/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace quire {

namespace {

// Set by tests and tools that read a book other than the running program.
std::string& ExecutableOverride() {
  static std::string* path = new std::string;
  return *path;
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

// True when `path` names a directory (not a link) that belongs to us and that nobody
// else may write into.
bool IsPrivateDirectory(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0)
    return false;
  if (!S_ISDIR(st.st_mode))
    return false;
  if (st.st_uid != geteuid())
    return false;
  return (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string OwnExecutablePath() {
  if (!ExecutableOverride().empty())
    return ExecutableOverride();
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0)
      return "/proc/self/exe";  // still opens the running program
    if (static_cast<size_t>(n) < buffer.size())
      return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::string OwnBookFile() {
  return ExecutableOverride().empty() ? std::string("/proc/self/exe") : ExecutableOverride();
}

void OverrideOwnExecutablePath(const std::string& path) {
  ExecutableOverride() = path;
}

std::string PrivateTempFolder() {
  // Computed on every call: TMPDIR may change (tests), and a folder removed behind our
  // back is simply made again.
  // A relative TMPDIR would change meaning with the current directory and cannot be
  // shown as a file address: it is ignored like an empty one.
  std::string base = EnvOrEmpty("TMPDIR");
  if (base.empty() || base.front() != '/')
    base = "/tmp";
  base = WithoutTrailingSlashes(base);
  if (base == "/")
    base.clear();
  const std::string folder = base + "/quire-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return {};
  if (!IsPrivateDirectory(folder))
    return {};
  return folder + "/";
}

std::string HomeFolder() {
  const std::string home = EnvOrEmpty("HOME");
  if (!home.empty() && home.front() == '/')
    return home;
  if (const passwd* entry = getpwuid(getuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  return {};
}

std::string XdgBaseFolder(const char* variable, const char* fallback) {
  const std::string value = EnvOrEmpty(variable);
  if (!value.empty() && value.front() == '/')
    return value;
  const std::string home = WithoutTrailingSlashes(HomeFolder());
  return home.empty() ? std::string() : home + fallback;
}

std::string ConfigFolder() {
  std::string base = XdgBaseFolder("XDG_CONFIG_HOME", "/.config");
  // Without any home the name stays a folder of its own, never the root itself.
  if (base.empty())
    base = "/.config";
  return WithoutTrailingSlashes(base) + "/quire/";
}

std::string ToNativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\')
      c = '/';
  }
  return native;
}

}  // namespace quire
