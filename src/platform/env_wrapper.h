// An Env that passes every call on to another, for tests that fail only chosen calls.
//
// Kept apart from env.h on purpose: where the compiler sees a second implementation it
// may guess at it in every caller, and the reader would carry those guesses.
#ifndef QUIRE_PLATFORM_ENV_WRAPPER_H_
#define QUIRE_PLATFORM_ENV_WRAPPER_H_

#include "platform/env.h"

namespace quire {

class EnvWrapper : public Env {
 public:
  // `target` must outlive the wrapper.
  explicit EnvWrapper(Env* target) : m_target(target) {}

  Env* Target() const { return m_target; }

  int Access(const std::string& path, int mode) noexcept override {
    return m_target->Access(path, mode);
  }
  int Open(const std::string& path, int flags, mode_t mode) noexcept override {
    return m_target->Open(path, flags, mode);
  }
  int MakeTemporary(std::string& pathTemplate, int flags) noexcept override {
    return m_target->MakeTemporary(pathTemplate, flags);
  }
  ssize_t Write(int fd, const void* data, std::size_t size) noexcept override {
    return m_target->Write(fd, data, size);
  }
  int Fchmod(int fd, mode_t mode) noexcept override { return m_target->Fchmod(fd, mode); }
  int Fsync(int fd) noexcept override { return m_target->Fsync(fd); }
  int Close(int fd) noexcept override { return m_target->Close(fd); }
  int Rename(const std::string& from, const std::string& to) noexcept override {
    return m_target->Rename(from, to);
  }
  int Unlink(const std::string& path) noexcept override { return m_target->Unlink(path); }
  int Mkdir(const std::string& path, mode_t mode) noexcept override {
    return m_target->Mkdir(path, mode);
  }

 private:
  Env* m_target;
};

}  // namespace quire

#endif  // QUIRE_PLATFORM_ENV_WRAPPER_H_
