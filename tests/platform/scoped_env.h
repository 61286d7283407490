// Sets an environment variable for the life of the object, then puts back what was there.
#ifndef QUIRE_TESTS_PLATFORM_SCOPED_ENV_H_
#define QUIRE_TESTS_PLATFORM_SCOPED_ENV_H_

#include <cstdlib>
#include <optional>
#include <string>

namespace quire::testing {

class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::string& value) : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str())) {
      m_previous = old;
    }
    setenv(m_name.c_str(), value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_previous) {
      setenv(m_name.c_str(), m_previous->c_str(), 1);
    } else {
      unsetenv(m_name.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_previous;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_PLATFORM_SCOPED_ENV_H_
