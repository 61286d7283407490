// A folder nobody may write into while the lock is held, root included: mode 0500 and, for
// root (whom modes do not bind), the file system's immutable flag. Lets a test see what a
// write into a refused folder does, as any user, also where the failing call is made by
// another program or past the calls a test can fail.
#ifndef QUIRE_TESTS_SUPPORT_WRITE_LOCKED_FOLDER_H_
#define QUIRE_TESTS_SUPPORT_WRITE_LOCKED_FOLDER_H_

#include <string>

namespace quire::testing {

class WriteLockedFolder {
 public:
  // Locks the existing folder `path`.
  explicit WriteLockedFolder(std::string path);
  // Gives the folder back its mode 0700 and clears the flag it set.
  ~WriteLockedFolder();
  WriteLockedFolder(const WriteLockedFolder&) = delete;
  WriteLockedFolder& operator=(const WriteLockedFolder&) = delete;

  // False when writes into the folder would still succeed here (root on a file system
  // without the immutable flag, or without the right to set it): a test that needs the
  // refusal must then skip, naming Reason().
  bool Holds() const { return m_holds; }
  std::string Reason() const { return m_reason; }

 private:
  std::string m_path;
  bool m_immutable = false;
  bool m_holds = false;
  std::string m_reason;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SUPPORT_WRITE_LOCKED_FOLDER_H_
