#include "platform/program_search.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/launch_messages.h"

namespace quire {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool FolderExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int MissingPathResult(const std::string& path, int statError) {
  if (statError == ENOTDIR)
    return kStartPathNotFound;
  const std::size_t slash = path.rfind('/');
  const bool folderMissing = slash != std::string::npos && !FolderExists(path.substr(0, slash + 1));
  return folderMissing ? kStartPathNotFound : kStartFileNotFound;
}

bool ResolveProgram(const std::string& program, std::string* resolved, int* failure) {
  if (program.empty()) {
    *failure = kStartFileNotFound;
    return false;
  }
  if (program.find('/') != std::string::npos) {
    struct stat info {};
    if (stat(program.c_str(), &info) != 0) {
      // Taken at once: anything called after stat() may change errno.
      const int error = errno;
      *failure = MissingPathResult(program, error);
      return false;
    }
    *resolved = program;
    return true;
  }
  const char* pathVariable = std::getenv("PATH");
  std::string_view search = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
  bool sawUnrunnable = false;
  for (;;) {
    const std::size_t colon = search.find(':');
    const std::string folder(search.substr(0, colon));
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    if (IsExecutableFile(candidate)) {
      *resolved = candidate;
      return true;
    }
    struct stat info {};
    sawUnrunnable = sawUnrunnable || stat(candidate.c_str(), &info) == 0;
    if (colon == std::string_view::npos)
      break;
    search.remove_prefix(colon + 1);
  }
  *failure = sawUnrunnable ? kStartAccessDenied : kStartFileNotFound;
  return false;
}

int StartResultFromErrno(int error, const std::string& program) {
  switch (error) {
    case ENOENT:
      return MissingPathResult(program, error);
    case ENOTDIR:
      return kStartPathNotFound;
    case ENOEXEC:
    case ELIBBAD:
      return kStartBadFormat;
    case ENOMEM:
    case EAGAIN:
    case E2BIG:
      return kStartOutOfResources;
    case EACCES:
    case EPERM:
      return kStartAccessDenied;
    default:
      return kStartFailed;
  }
}

}  // namespace quire
