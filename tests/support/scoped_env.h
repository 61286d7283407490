// Sets (or, given nullopt, removes) an environment variable for the life of the object,
// then puts back what was there.
#ifndef QUIRE_TESTS_SUPPORT_SCOPED_ENV_H_
#define QUIRE_TESTS_SUPPORT_SCOPED_ENV_H_

#include <cstdlib>
#include <optional>
#include <string>

namespace quire::testing {

class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value) : m_name(std::move(name)) {
    if (const char* old = std::getenv(m_name.c_str()))
      m_previous = old;
    Set(value);
  }
  ~ScopedEnv() { Set(m_previous); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value)
      setenv(m_name.c_str(), value->c_str(), 1);
    else
      unsetenv(m_name.c_str());
  }

  std::string m_name;
  std::optional<std::string> m_previous;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_SCOPED_ENV_H_
