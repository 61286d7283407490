#include "support/scoped_tmpdir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/paths.h"

namespace quire::testing {

ScopedTmpdir::ScopedTmpdir() {
  if (const char* previous = std::getenv("TMPDIR"))
    m_previous = previous;
  std::string base = m_previous && !m_previous->empty() ? *m_previous : "/tmp";
  std::string pattern = base + "/quire-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed under " << base;
    m_path = base;  // keep going; the test fails anyway
  } else {
    m_path = buffer.data();
  }
  setenv("TMPDIR", m_path.c_str(), 1);
}

ScopedTmpdir::~ScopedTmpdir() {
  if (m_previous) {
    setenv("TMPDIR", m_previous->c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  std::error_code ignored;
  // Tests may have made folders unwritable; give them back before removing.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  if (m_path.find("/quire-test-") != std::string::npos) {
    std::filesystem::remove_all(m_path, ignored);
  }
}

std::string ScopedTmpdir::PrivateFolder() const {
  std::string folder = PrivateTempFolder();
  EXPECT_FALSE(folder.empty()) << "private temporary folder cannot be made in " << m_path;
  return folder;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out)
    return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

}  // namespace quire::testing
