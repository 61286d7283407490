#include "temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "commands.h"
#include "platform/paths.h"

namespace quire::pack {

TempFolder::TempFolder(const std::string& parent, const std::string& prefix) {
  std::string base = parent;
  if (base.empty()) {
    // Where others may rename entries, they could swap the book that run starts.
    const TempBase chosen = ChooseTempBase();
    if (!chosen.refused.empty() && !chosen.folder.empty())
      Note("the temporary folder " + chosen.refused + " " + chosen.why + "; using " +
           chosen.folder);
    base = chosen.folder;
    if (base.empty())
      return;
  }
  if (base.back() != '/')
    base += '/';
  std::string pattern = base + prefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()))
    m_path = std::string(buffer.data()) + "/";
}

TempFolder::~TempFolder() {
  if (m_path.empty())
    return;
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

}  // namespace quire::pack
