#include "reader_image.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace quire::pack {

namespace {

constexpr char kElfMagic[] =
    "\x7f"
    "ELF";

std::string OwnFolder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0)
    return "";
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool IsExecutableFile(const std::string& path) {
  return access(path.c_str(), X_OK) == 0 && IsElfFile(path);
}

}  // namespace

bool IsElfFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char head[4] = {};
  return in.read(head, 4) && std::string(head, 4) == std::string(kElfMagic, 4);
}

bool IsElfSharedObject(const std::string& bytes) {
  // e_ident (16 bytes), then e_type: 2 bytes in the file's byte order (e_ident[5]).
  if (bytes.size() < 18 || bytes.compare(0, 4, kElfMagic, 4) != 0)
    return false;
  unsigned char b0 = static_cast<unsigned char>(bytes[16]);
  unsigned char b1 = static_cast<unsigned char>(bytes[17]);
  unsigned type = bytes[5] == 2 ? (b0 << 8) | b1 : (b1 << 8) | b0;
  return type == 3;  // ET_DYN
}

bool FindReaderImage(const std::string& explicitPath, std::string* path, std::string* error) {
  if (!explicitPath.empty()) {
    if (!IsElfFile(explicitPath)) {
      *error = "--reader " + explicitPath + ": not an ELF program (or cannot be read)";
      return false;
    }
    *path = explicitPath;
    return true;
  }
  // The stripped reader made for books comes first; the developer's quire beside it keeps
  // its debug information, which a book has no use for. A build beside this program wins
  // over one installed on PATH.
  const std::string own = OwnFolder();
  std::vector<std::string> candidates;
  for (const char* name : {"quire-reader", "quire"}) {
    if (!own.empty()) {
      candidates.push_back(own + "/" + name);
      candidates.push_back(own + "/../" + name);
    }
  }
  for (const std::string& candidate : candidates) {
    if (IsExecutableFile(candidate)) {
      *path = std::filesystem::path(candidate).lexically_normal().string();
      return true;
    }
  }
  const char* envPath = std::getenv("PATH");
  for (const char* name : {"quire-reader", "quire"}) {
    std::istringstream dirs(envPath ? envPath : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
      std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
      if (IsExecutableFile(candidate)) {
        *path = candidate;
        return true;
      }
    }
  }
  *error =
      "cannot find the reader program 'quire-reader' or 'quire' (beside quire-pack or on "
      "PATH); give it with --reader PATH";
  return false;
}

}  // namespace quire::pack
