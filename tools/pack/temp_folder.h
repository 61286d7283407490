// A private scratch folder for one command, removed with everything in it when done.
#ifndef QUIRE_TOOLS_PACK_TEMP_FOLDER_H_
#define QUIRE_TOOLS_PACK_TEMP_FOLDER_H_

#include <string>

namespace quire::pack {

class TempFolder {
 public:
  // Makes a fresh folder (mode 0700) inside `parent`, or when `parent` is empty inside the
  // folder the reader makes its own private folder in (ChooseTempBase: TMPDIR only when
  // no other user can change what it holds; a note says so otherwise). Ok() is false
  // when it could not be made.
  explicit TempFolder(const std::string& parent = "", const std::string& prefix = "quire-pack-");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Ok() const { return !m_path.empty(); }
  // The folder, ending with '/'.
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_TEMP_FOLDER_H_
