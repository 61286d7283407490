#include "output_guard.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace quire::pack {

namespace fs = std::filesystem;

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {

// The real absolute path, also for a path that does not exist yet (weakly_canonical keeps
// a relative path relative when none of it exists).
fs::path RealPath(const std::string& path, std::error_code& ec) {
  fs::path absolute = fs::absolute(path, ec);
  if (ec)
    return {};
  fs::path real = fs::weakly_canonical(absolute, ec);
  // A trailing '/' leaves an empty last element that would never match.
  return real.has_filename() ? real : real.parent_path();
}

}  // namespace

bool IsInsideFolder(const std::string& path, const std::string& dir) {
  std::error_code ec;
  fs::path folder = RealPath(dir, ec);
  if (ec)
    return false;
  fs::path target = RealPath(path, ec);
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
    if (IsSameFile(output, input) || RealPath(output, ec) == RealPath(input, ec)) {
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
