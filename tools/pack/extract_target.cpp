#include "extract_target.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "terminal_text.h"

namespace quire::pack {

ExtractTarget::~ExtractTarget() {
  for (const auto& [folder, fd] : m_folders)
    close(fd);
  if (m_fd >= 0)
    close(m_fd);
}

bool ExtractTarget::Open(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  m_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  m_dir = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  return m_fd >= 0;
}

int ExtractTarget::FolderOf(const std::string& name, std::string* error) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? m_fd : Folder(name.substr(0, slash), error);
}

int ExtractTarget::Folder(const std::string& folder, std::string* error) {
  if (auto it = m_folders.find(folder); it != m_folders.end())
    return it->second;
  const size_t slash = folder.rfind('/');
  const int parent = slash == std::string::npos ? m_fd : Folder(folder.substr(0, slash), error);
  if (parent < 0)
    return -1;
  const std::string part = slash == std::string::npos ? folder : folder.substr(slash + 1);
  if (mkdirat(parent, part.c_str(), 0777) != 0 && errno != EEXIST) {
    *error = "cannot make the folder " + m_dir + TerminalText(folder);
    return -1;
  }
  const int fd = openat(parent, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    struct stat st {};
    const bool link =
        fstatat(parent, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    *error = m_dir + TerminalText(folder) +
             (link ? " is a symbolic link; nothing is written through it"
                   : " is no folder; the files below it cannot be written");
    return -1;
  }
  m_folders.emplace(folder, fd);
  return fd;
}

}  // namespace quire::pack
