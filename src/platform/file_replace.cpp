#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/file_write.h"
#include "platform/write_target.h"

namespace quire {
namespace {

// The folder part of `path` with its trailing '/', or empty for a name in the current
// folder.
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteInPlace(Env* env, const std::string& path, int extraFlags, const BodyWriter& body) {
  int fd = env->Open(path, O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | extraFlags, 0);
  if (fd < 0) {
    return false;
  }
  bool ok = body(fd);
  ok = (env->Close(fd) == 0) && ok;
  return ok;
}

// The umask as /proc reports it, which changes nothing; where /proc cannot tell, it is
// set and put back, which is safe only while the process has a single thread.
mode_t ReadProcessUmask() {
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned int mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr)
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found)
      return static_cast<mode_t>(mask & 0777);
  }
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Read before main(), before GTK or WebKit start any thread; nothing in the reader
// changes the umask afterwards.
[[maybe_unused]] const mode_t g_umaskAtStart = StartUmask();

}  // namespace

mode_t ModeUnderUmask(mode_t mode) {
  return mode & ~StartUmask();
}

mode_t StartUmask() {
  static const mode_t mask = ReadProcessUmask();
  return mask;
}

bool ReplaceFileWith(const std::string& givenPath, const ReplaceOptions& options,
                     const BodyWriter& body) {
  if (givenPath.empty()) {
    return false;
  }
  const WriteTarget target = FindWriteTarget(givenPath, geteuid());
  if (!target.allowed) {
    return false;
  }
  const std::string& path = target.path;
  Env* env = options.env;
  // A path checked free of links is opened so that a link put there since is not followed.
  const int noFollow = target.linkFree ? O_NOFOLLOW : 0;
  struct stat info {};
  bool exists = stat(path.c_str(), &info) == 0;
  if (exists) {
    if (S_ISDIR(info.st_mode) || env->Access(path, W_OK) != 0) {
      return false;
    }
    if (!S_ISREG(info.st_mode)) {
      // A device or a pipe: there is nothing to rename over; never wait for a reader.
      return WriteInPlace(env, path, O_NONBLOCK | noFollow, body);
    }
  }
  mode_t mode = (exists && options.keepExistingMode) ? (info.st_mode & 07777) : options.mode;

  // A short, hidden temporary name fits beside any file name.
  std::string temporary = FolderOf(path) + ".quire-XXXXXX";
  int fd = env->MakeTemporary(temporary, O_CLOEXEC);
  if (fd < 0) {
    bool folderRefused = errno == EACCES || errno == EPERM || errno == EROFS;
    return exists && folderRefused && options.allowInPlace &&
           WriteInPlace(env, path, noFollow, body);
  }
  if (options.onTemporary)
    options.onTemporary(temporary, true);
  bool ok = body(fd) && env->Fchmod(fd, mode) == 0 && (!options.syncToDisk || env->Fsync(fd) == 0);
  ok = (env->Close(fd) == 0) && ok;
  ok = ok && env->Rename(temporary, path) == 0;
  if (!ok) {
    env->Unlink(temporary);
  }
  if (options.onTemporary)
    options.onTemporary(temporary, false);
  return ok;
}

bool ReplaceFileContents(const std::string& path, const ReplaceOptions& options,
                         std::string_view data) {
  Env* env = options.env;
  return ReplaceFileWith(path, options,
                         [&data, env](int fd) { return WriteAllBytes(fd, data, env); });
}

bool CreateNewFileWith(const std::string& path, mode_t mode, const BodyWriter& body, Env* env) {
  if (path.empty() || !FindWriteTarget(path, geteuid()).allowed) {
    return false;
  }
  int fd = env->Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
  if (fd < 0) {
    return false;
  }
  bool ok = body(fd) && env->Fchmod(fd, mode) == 0 && env->Fsync(fd) == 0;
  ok = (env->Close(fd) == 0) && ok;
  if (!ok) {
    env->Unlink(path);
  }
  return ok;
}

}  // namespace quire
