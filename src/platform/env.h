// The file calls whose failures matter to the reader, behind one interface, so that a
// test can make a chosen call fail (a full disk, a refused folder) as any user, root
// included, and see that nothing is lost.
//
// Code that writes files takes an `Env*` (a parameter or a member set at construction)
// and makes these calls through it; the program passes Env::Default(), which makes the
// system calls themselves. A test derives from EnvWrapper (env_wrapper.h) and overrides
// only the calls it wants to fail.
//
// Every call behaves as the system call it is named after: it returns what that call
// returns, and on failure returns -1 with errno set. A stand-in that fails a call must
// do the same, so the caller's handling of errno is tested as it runs for real.
#ifndef QUIRE_PLATFORM_ENV_H_
#define QUIRE_PLATFORM_ENV_H_

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace quire {

class Env {
 public:
  Env() = default;
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;
  virtual ~Env() = default;

  // The system itself. Never null; lives until the process ends; safe from any thread.
  static Env* Default() noexcept;

  // access(2): 0 when the user may use `path` as `mode` asks (R_OK, W_OK, X_OK, F_OK);
  // -1 with errno.
  virtual int Access(const std::string& path, int mode) noexcept = 0;
  // open(2): a new descriptor for `path`, or -1 with errno.
  virtual int Open(const std::string& path, int flags, mode_t mode) noexcept = 0;
  // mkostemp(3): makes a new file from `pathTemplate` (which ends in "XXXXXX"; the X's are
  // replaced by the name made) and returns its descriptor; -1 with errno, and
  // `pathTemplate` unspecified, when no file could be made.
  virtual int MakeTemporary(std::string& pathTemplate, int flags) noexcept = 0;
  // write(2): the number of bytes taken, which may be fewer than `size`; -1 with errno.
  virtual ssize_t Write(int fd, const void* data, std::size_t size) noexcept = 0;
  // fchmod(2), fsync(2), close(2): 0, or -1 with errno. The descriptor is released by
  // Close even when it fails.
  virtual int Fchmod(int fd, mode_t mode) noexcept = 0;
  virtual int Fsync(int fd) noexcept = 0;
  virtual int Close(int fd) noexcept = 0;
  // rename(2), unlink(2), mkdir(2): 0, or -1 with errno.
  virtual int Rename(const std::string& from, const std::string& to) noexcept = 0;
  virtual int Unlink(const std::string& path) noexcept = 0;
  virtual int Mkdir(const std::string& path, mode_t mode) noexcept = 0;
};

}  // namespace quire

#endif  // QUIRE_PLATFORM_ENV_H_
