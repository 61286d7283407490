#include "launch/front_end_loader.h"

#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "platform/temp_file.h"

namespace quire {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

LoadedFrontEnd Open(const std::string& path) {
  LoadedFrontEnd loaded;
  loaded.loadPath = path;
  // Global, so that extension libraries see GTK as they did when the program linked it.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    loaded.error = error != nullptr ? error : "the front end could not be loaded";
    return loaded;
  }
  loaded.main = reinterpret_cast<FrontEndMain>(dlsym(handle, kFrontEndEntry));
  if (loaded.main == nullptr) {
    loaded.error = path + ": " + kFrontEndEntry + " not found";
    dlclose(handle);
  }
  return loaded;
}

}  // namespace

LoadedFrontEnd LoadFrontEnd(std::string_view image, bool memoryFile) {
  int fd = memoryFile ? memfd_create("quire-front-end", MFD_CLOEXEC) : -1;
  if (fd >= 0) {
    // Named by process id rather than "self", so that a debugger reading the loaded
    // libraries' names finds this file (and the front end's debug information) too.
    const std::string path = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(fd);
    if (WriteAll(fd, image) && access(path.c_str(), R_OK) == 0) {
      LoadedFrontEnd loaded = Open(path);
      close(fd);
      return loaded;
    }
    close(fd);
  }
  // No memory files here (or no /proc): a private file that nobody else can swap.
  std::string path;
  fd = CreateUniqueTempFile("front", &path);
  if (fd < 0) {
    LoadedFrontEnd failed;
    failed.error = "no place to load the reader's window from";
    return failed;
  }
  const bool written = WriteAll(fd, image);
  close(fd);
  LoadedFrontEnd loaded;
  if (written) {
    loaded = Open(path);
  } else {
    loaded.error = path + ": cannot be written";
  }
  unlink(path.c_str());
  return loaded;
}

}  // namespace quire
