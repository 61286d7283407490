#include "platform/env.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace quire {
namespace {

class SystemEnv final : public Env {
 public:
  int Access(const std::string& path, int mode) noexcept override {
    return ::access(path.c_str(), mode);
  }
  int Open(const std::string& path, int flags, mode_t mode) noexcept override {
    return ::open(path.c_str(), flags, mode);
  }
  int MakeTemporary(std::string& pathTemplate, int flags) noexcept override {
    return ::mkostemp(pathTemplate.data(), flags);
  }
  ssize_t Write(int fd, const void* data, std::size_t size) noexcept override {
    return ::write(fd, data, size);
  }
  int Fchmod(int fd, mode_t mode) noexcept override { return ::fchmod(fd, mode); }
  int Fsync(int fd) noexcept override { return ::fsync(fd); }
  int Close(int fd) noexcept override { return ::close(fd); }
  int Rename(const std::string& from, const std::string& to) noexcept override {
    return std::rename(from.c_str(), to.c_str());
  }
  int Unlink(const std::string& path) noexcept override { return ::unlink(path.c_str()); }
  int Mkdir(const std::string& path, mode_t mode) noexcept override {
    return ::mkdir(path.c_str(), mode);
  }
};

}  // namespace

Env* Env::Default() noexcept {
  static SystemEnv* env = new SystemEnv;  // never destroyed: threads may use it at exit
  return env;
}

}  // namespace quire
