// An Env that makes chosen file calls fail as the system would, for any user, root
// included: a full disk, a file size limit, a refused folder.
#ifndef QUIRE_TESTS_SUPPORT_FAILING_ENV_H_
#define QUIRE_TESTS_SUPPORT_FAILING_ENV_H_

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/env_wrapper.h"

namespace quire::testing {

enum class EnvCall {
  kAccess,
  kOpen,
  kMakeTemporary,
  kWrite,
  kFchmod,
  kFsync,
  kClose,
  kRename,
  kUnlink,
  kMkdir,
};

// Passes every call to the system except those it was told to fail. Calls that name a
// path (Access, Open, MakeTemporary's template, Rename's source or target, Unlink, Mkdir) fail
// only when the path starts with the given prefix; the others fail always.
class FailingEnv : public EnvWrapper {
 public:
  FailingEnv() : EnvWrapper(Env::Default()) {}

  // Every later `call` whose path starts with `pathPrefix` fails with `error`.
  void Fail(EnvCall call, int error, const std::string& pathPrefix = "");
  // As a file size limit (RLIMIT_FSIZE with SIGXFSZ ignored): a write to a regular file
  // takes only what fits below `bytes` and, once nothing fits, fails with EFBIG.
  void LimitFileSize(off_t bytes) { m_fileSizeLimit = bytes; }
  // How many calls of `call` failed so far, so a test sees that its failure was reached.
  int Failures(EnvCall call) const;

  int Access(const std::string& path, int mode) noexcept override;
  int Open(const std::string& path, int flags, mode_t mode) noexcept override;
  int MakeTemporary(std::string& pathTemplate, int flags) noexcept override;
  ssize_t Write(int fd, const void* data, std::size_t size) noexcept override;
  int Fchmod(int fd, mode_t mode) noexcept override;
  int Fsync(int fd) noexcept override;
  int Close(int fd) noexcept override;
  int Rename(const std::string& from, const std::string& to) noexcept override;
  int Unlink(const std::string& path) noexcept override;
  int Mkdir(const std::string& path, mode_t mode) noexcept override;

 private:
  struct Rule {
    EnvCall call;
    int error;
    std::string pathPrefix;
  };
  // True (errno set, the failure counted) when a rule fails `call` on `path`.
  bool Fails(EnvCall call, const std::string& path = "", const std::string& other = "");

  std::vector<Rule> m_rules;
  std::vector<EnvCall> m_failed;
  off_t m_fileSizeLimit = -1;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_FAILING_ENV_H_
