// The folder a book's files are extracted into, opened once for all of them: each file
// then costs one open of its own, and the folder's path is neither walked nor checked
// again per file.
#ifndef QUIRE_BOOK_TARGET_FOLDER_H_
#define QUIRE_BOOK_TARGET_FOLDER_H_

#include <string>

namespace quire {

class TargetFolder {
 public:
  TargetFolder() = default;
  ~TargetFolder();
  TargetFolder(const TargetFolder&) = delete;
  TargetFolder& operator=(const TargetFolder&) = delete;

  // Opens the folder `path` (a trailing '/' is allowed) unless it is the one already
  // open. False when it is not a folder that can be opened; nothing is open then.
  bool Open(const std::string& path);
  void Close();

  // Creates the file `name` (a plain name) in the open folder for writing, mode 0600,
  // close-on-exec, and returns its descriptor. Normally the file is new. A regular file
  // of that name left from an earlier run is emptied and given mode 0600; a link, a
  // folder or anything else that is not a regular file is refused and left as it is, and
  // a link is never followed. -1 on failure.
  int CreateFile(const std::string& name) const;

 private:
  int m_fd = -1;
  std::string m_path;
};

}  // namespace quire

#endif  // QUIRE_BOOK_TARGET_FOLDER_H_
