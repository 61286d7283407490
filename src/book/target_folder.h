// The folder a book's files are extracted into, opened once for all of them: each file
// then costs one open of its own, and the folder's path is neither walked nor checked
// again per file. Files may lie in folders below it ("library/os.html"): those are made
// and opened relative to the open folder, never through a link, and kept open while they
// are in use.
#ifndef QUIRE_BOOK_TARGET_FOLDER_H_
#define QUIRE_BOOK_TARGET_FOLDER_H_

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace quire {

class TargetFolder {
 public:
  // Told each folder CreateFile made, as its path below the open folder ("a", "a/b").
  using FolderMade = std::function<void(const std::string& folder)>;

  TargetFolder() = default;
  ~TargetFolder();
  TargetFolder(const TargetFolder&) = delete;
  TargetFolder& operator=(const TargetFolder&) = delete;

  // Opens the folder `path` (a trailing '/' is allowed) unless it is the one already
  // open. False when it is not a folder that can be opened; nothing is open then.
  bool Open(const std::string& path);
  void Close();

  // Creates the file `name` in the open folder for writing, mode 0600,
  // close-on-exec, and returns its descriptor. `name` is a plain name or a path whose
  // parts are separated by '/', checked beforehand (stored_name.h); nothing here reads
  // '.' or '..' specially. Normally the file is new. A regular file of that name left
  // from an earlier run is emptied and given mode 0600; a link, a folder or anything else
  // that is not a regular file is refused and left as it is, and a link is never
  // followed. -1 on failure.
  //
  // The folders of a path are made one part at a time relative to the open folder's
  // descriptor (mkdirat, mode 0700) and opened without following a link (O_NOFOLLOW |
  // O_DIRECTORY); each one made is told to `onFolderMade` once. A folder that is there
  // already is used only when it is a real folder of the user's that nobody else may
  // write to; a link (even one to a folder), a file or anyone else's folder in its place
  // makes the creation fail, and nothing is written through it.
  int CreateFile(const std::string& name, const FolderMade& onFolderMade = nullptr);

 private:
  // The descriptor of the folder `folder` below the open one ("" is the open folder),
  // made when missing; -1 when it cannot be had. Kept open in m_folders.
  int FolderDescriptor(std::string_view folder, const FolderMade& onFolderMade);
  void CloseFolders();

  int m_fd = -1;
  std::string m_path;
  std::map<std::string, int, std::less<>> m_folders;  // path below -> open descriptor
};

}  // namespace quire

#endif  // QUIRE_BOOK_TARGET_FOLDER_H_
