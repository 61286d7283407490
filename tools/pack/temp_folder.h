// A private scratch folder for one command, removed with everything in it when done.
#ifndef QUIRE_TOOLS_PACK_TEMP_FOLDER_H_
#define QUIRE_TOOLS_PACK_TEMP_FOLDER_H_

#include <string>

namespace quire::pack {

class TempFolder {
 public:
  // Makes a fresh folder (mode 0700) inside `parent`, or inside ${TMPDIR:-/tmp} when
  // `parent` is empty. Ok() is false when it could not be made.
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
