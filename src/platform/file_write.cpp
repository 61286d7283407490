#include "platform/file_write.h"

#include <unistd.h>

#include <cerrno>

namespace quire {

bool WriteAllBytes(int fd, std::string_view data, Env* env) {
  while (!data.empty()) {
    const ssize_t put = env->Write(fd, data.data(), data.size());
    if (put < 0 && errno == EINTR)
      continue;
    if (put <= 0)
      return false;
    data.remove_prefix(static_cast<size_t>(put));
  }
  return true;
}

bool ReadAllBytes(int fd, void* buffer, size_t size) {
  char* out = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = read(fd, out, size);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return false;
    out += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace quire
