#include "output_guard.h"

#include <sys/stat.h>

#include <filesystem>

namespace quire::pack {

namespace fs = std::filesystem;

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsInsideFolder(const std::string& path, const std::string& dir) {
  std::error_code ec;
  fs::path folder = fs::weakly_canonical(dir, ec);
  if (ec)
    return false;
  fs::path target = fs::weakly_canonical(path, ec);
  if (ec)
    return false;
  auto [f, t] = std::mismatch(folder.begin(), folder.end(), target.begin(), target.end());
  return f == folder.end() && t != target.end();
}

bool CheckOutputPath(const std::string& output, const std::vector<std::string>& inputs,
                     std::string* error) {
  if (output.empty()) {
    *error = "no output file given (-o BOOK)";
    return false;
  }
  std::error_code ec;
  for (const std::string& input : inputs) {
    if (IsSameFile(output, input) ||
        fs::weakly_canonical(output, ec) == fs::weakly_canonical(input, ec)) {
      *error = "refusing to write " + output + " over the input " + input;
      return false;
    }
  }
  if (fs::is_directory(output, ec)) {
    *error = output + " is a folder; give the path of the book file to write";
    return false;
  }
  fs::path parent = fs::path(output).parent_path();
  if (!parent.empty() && !fs::is_directory(parent, ec)) {
    *error = "the folder " + parent.string() + " does not exist";
    return false;
  }
  return true;
}

}  // namespace quire::pack
