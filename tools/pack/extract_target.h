// The folder quire-pack extract writes a book's files into, and the folders of their paths
// made inside it: relative to the folder's open descriptor, one part at a time, never
// through a link, so that nothing lands outside it whatever the book's names or the links
// already in the folder.
#ifndef QUIRE_TOOLS_PACK_EXTRACT_TARGET_H_
#define QUIRE_TOOLS_PACK_EXTRACT_TARGET_H_

#include <map>
#include <string>

namespace quire::pack {

class ExtractTarget {
 public:
  ExtractTarget() = default;
  ~ExtractTarget();
  ExtractTarget(const ExtractTarget&) = delete;
  ExtractTarget& operator=(const ExtractTarget&) = delete;

  // Opens the folder `dir`, made (with its parents) when missing. False when it is no
  // folder that can be opened.
  bool Open(const std::string& dir);

  // The descriptor of the folder that holds the file `name` (a valid stored name) below
  // the target; its folders are made when missing, with mode 0777 less the umask. -1 with
  // `error` when a part is a link (even one to a folder), a file, or cannot be made. The
  // descriptor stays the target's.
  int FolderOf(const std::string& name, std::string* error);

 private:
  int Folder(const std::string& folder, std::string* error);

  int m_fd = -1;
  std::string m_dir;  // as given, ending with '/'
  std::map<std::string, int> m_folders;
};

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_EXTRACT_TARGET_H_
