// A temporary folder that belongs to one test.
//
// Construction makes a fresh, uniquely named folder (mkdtemp) and points TMPDIR at it,
// so everything the reader puts in its private temporary folder lands inside; the
// destructor restores the previous TMPDIR and removes the folder with all it holds.
// Tests run in parallel processes: every test that touches the file system uses one.
#ifndef QUIRE_TESTS_SUPPORT_SCOPED_TMPDIR_H_
#define QUIRE_TESTS_SUPPORT_SCOPED_TMPDIR_H_

#include <optional>
#include <string>

namespace quire::testing {

class ScopedTmpdir {
 public:
  ScopedTmpdir();
  ~ScopedTmpdir();
  ScopedTmpdir(const ScopedTmpdir&) = delete;
  ScopedTmpdir& operator=(const ScopedTmpdir&) = delete;

  // The folder itself, without a trailing '/' (the value TMPDIR now has).
  const std::string& Path() const { return m_path; }
  // Path() + "/" + name.
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  // The reader's private temporary folder inside it ("<Path()>/quire-<uid>/"), made if
  // needed; fails the test when it cannot be made.
  std::string PrivateFolder() const;

 private:
  std::string m_path;
  std::optional<std::string> m_previous;  // TMPDIR before, or nullopt when it was unset
};

// Reads a whole file; nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes `bytes` to `path` (created or truncated); false on any failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// True when `path` names anything (file, folder or link).
bool PathExists(const std::string& path);

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_SCOPED_TMPDIR_H_
