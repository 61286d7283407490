#include "platform/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "platform/owner_only_path.h"

namespace quire {

namespace {

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

std::string& SystemTempOverride() {
  static std::string* path = new std::string;
  return *path;
}

std::string SystemTempFolder() {
  return SystemTempOverride().empty() ? std::string("/tmp") : SystemTempOverride();
}

// An absolute path without its trailing '/'s; empty for anything else.
std::string AbsoluteFolder(const std::string& value) {
  if (value.empty() || value.front() != '/')
    return {};
  return WithoutTrailingSlashes(value);
}

// True when `path` is a directory (not a link) of ours that nobody else may enter, read or
// write. One we may not use ourselves (made under a strict umask) is given its owner's
// rights back.
bool IsOwnPrivateFolder(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0)
    return false;
  struct stat st {};
  bool own = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
             (st.st_mode & 077) == 0;
  if (own && (st.st_mode & 0700) != 0700)
    own = fchmod(fd, 0700) == 0;
  close(fd);
  return own;
}

// Makes `path` (mode 0700) unless it is there, and tells whether it is a private folder.
bool MakePrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return false;
  return IsOwnPrivateFolder(path);
}

void (*g_sayNotice)(const std::string& text) = nullptr;

// Says `text` once per process.
void NoteOnce(const std::string& text) {
  static std::set<std::string>* said = new std::set<std::string>;
  if (!said->insert(text).second)
    return;
  if (g_sayNotice != nullptr)
    g_sayNotice(text);
  else
    std::fprintf(stderr, "quire: %s\n", text.c_str());
}

// The private folder taken instead of `primary`, kept for the process so that every file
// of this run lands in the same one.
std::string FallbackPrivateFolder(const std::string& primary) {
  static std::map<std::string, std::string>* taken = new std::map<std::string, std::string>;
  auto known = taken->find(primary);
  if (known != taken->end() && IsOwnPrivateFolder(known->second))
    return known->second;
  std::string folder;
  const std::string runtime = AbsoluteFolder(EnvOrEmpty("XDG_RUNTIME_DIR"));
  if (!runtime.empty() && OnlyOwnerCanChangeFolder(runtime, geteuid()) &&
      MakePrivateFolder(runtime + "/quire")) {
    folder = runtime + "/quire";
  } else {
    std::string pattern = primary + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr && IsOwnPrivateFolder(pattern))
      folder = pattern;
  }
  if (!folder.empty())
    (*taken)[primary] = folder;
  return folder;
}

}  // namespace

std::string OwnExecutablePath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink(kOwnProgramFile, buffer.data(), buffer.size());
    if (n < 0)
      return kOwnProgramFile;  // still opens the running program
    if (static_cast<size_t>(n) < buffer.size())
      return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

TempBase ChooseTempBase() {
  TempBase base;
  const uid_t user = geteuid();
  // A relative TMPDIR would change meaning with the current directory and cannot be
  // shown as a file address: it is ignored like an empty one.
  for (const std::string& candidate : {AbsoluteFolder(EnvOrEmpty("TMPDIR")), SystemTempFolder(),
                                       AbsoluteFolder(EnvOrEmpty("XDG_RUNTIME_DIR"))}) {
    if (candidate.empty())
      continue;
    // Where others may rename what the reader made, they could put their own pages and
    // libraries in its place between two uses.
    if (OnlyOwnerCanChangeFolder(candidate, user)) {
      base.folder = candidate;
      return base;
    }
    if (base.refused.empty()) {
      struct stat st {};
      base.refused = candidate;
      base.why = stat(candidate.c_str(), &st) != 0 ? "is not there"
                 : !S_ISDIR(st.st_mode)
                     ? "is not a folder"
                     : "is not used: other users can change or replace what it holds";
    }
  }
  return base;
}

void SetTempFolderNotice(void (*say)(const std::string& text)) {
  g_sayNotice = say;
}

void OverrideSystemTempFolder(const std::string& path) {
  SystemTempOverride() = path;
}

std::string PrivateTempFolder() {
  // Computed on every call: TMPDIR may change (tests), and a folder removed behind our
  // back is simply made again.
  const TempBase base = ChooseTempBase();
  if (base.folder.empty())
    return {};
  const std::string primary =
      (base.folder == "/" ? std::string() : base.folder) + "/quire-" + std::to_string(geteuid());
  std::string folder = primary;
  if (!MakePrivateFolder(primary)) {
    folder = FallbackPrivateFolder(primary);
    if (folder.empty())
      return {};
    NoteOnce(primary + " is not a private folder of this user (it is another user's, a link, " +
             "or open to others); the book's files go to " + folder + "/ instead");
  }
  if (!base.refused.empty()) {
    NoteOnce("the temporary folder " + base.refused + " " + base.why + "; the book's files go to " +
             folder + "/");
  }
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
