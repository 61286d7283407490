#include "temp_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace quire::pack {

TempFolder::TempFolder(const std::string& parent, const std::string& prefix) {
  std::string base = parent;
  if (base.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
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
