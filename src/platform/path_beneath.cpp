#include "platform/path_beneath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace quire {

namespace {

bool IsStepPart(std::string_view part) {
  return part.empty() || part == "." || part == "..";
}

// Runs `action` on the folder that holds the last part of `relative`, and that part's name.
template <typename Action>
bool OnLastPart(int base, std::string_view relative, Action action) {
  while (relative.ends_with('/'))
    relative.remove_suffix(1);
  const size_t slash = relative.rfind('/');
  const std::string last(slash == std::string_view::npos ? relative : relative.substr(slash + 1));
  if (IsStepPart(last))
    return false;
  const int parent = OpenFolderBeneath(
      base, slash == std::string_view::npos ? std::string_view() : relative.substr(0, slash));
  if (parent < 0)
    return false;
  const bool done = action(parent, last.c_str());
  close(parent);
  return done;
}

}  // namespace

int OpenFolderBeneath(int base, std::string_view relative) {
  int fd = fcntl(base, F_DUPFD_CLOEXEC, 0);
  while (fd >= 0 && !relative.empty()) {
    const size_t slash = relative.find('/');
    const std::string part(relative.substr(0, slash));
    relative = slash == std::string_view::npos ? std::string_view() : relative.substr(slash + 1);
    if (IsStepPart(part)) {
      close(fd);
      return -1;
    }
    const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    close(fd);
    fd = next;
  }
  return fd;
}

bool RemoveBeneath(int base, std::string_view relative, bool folder) {
  return OnLastPart(base, relative, [folder](int parent, const char* name) {
    return unlinkat(parent, name, folder ? AT_REMOVEDIR : 0) == 0;
  });
}

bool ChangeModeBeneath(int base, std::string_view relative, mode_t mode) {
  return OnLastPart(base, relative, [mode](int parent, const char* name) {
    struct stat st {};
    return fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISLNK(st.st_mode) &&
           fchmodat(parent, name, mode, AT_SYMLINK_NOFOLLOW) == 0;
  });
}

}  // namespace quire
