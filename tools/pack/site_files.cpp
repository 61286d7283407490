#include "site_files.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace quire::pack {

namespace {

// Deeper than this is no site; it stops a walk through links that keep making new paths.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxNameBytes = 200;

int IndexRank(const std::string& name) {
  if (name == "index.html")
    return 0;
  if (name == "index.htm")
    return 1;
  return 2;
}

bool NameLess(const std::string& a, const std::string& b) {
  int ra = IndexRank(a), rb = IndexRank(b);
  if (ra != rb)
    return ra < rb;
  return a < b;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t slash = path.find('/', start);
    parts.push_back(
        path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos)
      break;
    start = slash + 1;
  }
  return parts;
}

bool Ignored(const std::vector<std::string>& patterns, const std::string& sitePath,
             const std::string& name, bool isFolder) {
  for (std::string pattern : patterns) {
    bool foldersOnly = !pattern.empty() && pattern.back() == '/';
    if (foldersOnly)
      pattern.pop_back();
    if (pattern.empty() || (foldersOnly && !isFolder))
      continue;
    bool anchored = pattern.find('/') != std::string::npos;
    if (anchored && pattern.front() == '/')
      pattern.erase(0, 1);
    const std::string& subject = anchored ? sitePath : name;
    if (fnmatch(pattern.c_str(), subject.c_str(),
                anchored ? FNM_PATHNAME | FNM_PERIOD : FNM_PERIOD) == 0) {
      return true;
    }
  }
  return false;
}

class SiteWalker {
 public:
  SiteWalker(const std::vector<std::string>& ignore, const std::set<std::string>& skip,
             SiteListing* listing, std::vector<std::string>* warnings, std::string* error)
      : m_ignore(ignore), m_skip(skip), m_listing(listing), m_warnings(warnings), m_error(error) {}

  bool Walk(const std::string& diskDir, const std::string& sitePrefix, int depth) {
    struct stat self;
    if (stat(diskDir.c_str(), &self) != 0) {
      *m_error = diskDir + ": cannot read the folder";
      return false;
    }
    m_walking.push_back({self.st_dev, self.st_ino});
    DIR* dir = opendir(diskDir.c_str());
    if (!dir) {
      *m_error = diskDir + ": cannot list the folder";
      return false;
    }
    std::vector<std::string> names;
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name != "." && name != "..")
        names.push_back(std::move(name));
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), NameLess);
    for (const std::string& name : names) {
      if (name.front() == '.' || name.back() == '~')
        continue;
      if (depth == 0 && m_skip.count(name))
        continue;
      std::string diskPath = diskDir + "/" + name;
      std::string sitePath = sitePrefix.empty() ? name : sitePrefix + "/" + name;
      struct stat st;
      if (stat(diskPath.c_str(), &st) != 0) {
        struct stat link;
        if (lstat(diskPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
          m_warnings->push_back(sitePath + ": a symbolic link that leads nowhere; left out");
          continue;
        }
        *m_error = diskPath + ": cannot read it";
        return false;
      }
      bool isFolder = S_ISDIR(st.st_mode);
      if (Ignored(m_ignore, sitePath, name, isFolder))
        continue;
      if (isFolder) {
        auto id = std::make_pair(st.st_dev, st.st_ino);
        if (std::find(m_walking.begin(), m_walking.end(), id) != m_walking.end()) {
          m_warnings->push_back(sitePath +
                                ": a symbolic link back to a folder that holds it; not followed");
          continue;
        }
        if (depth + 1 >= kMaxDepth) {
          m_warnings->push_back(sitePath + ": folders nested too deep; left out");
          continue;
        }
        m_listing->folders.insert(sitePath);
        if (!Walk(diskPath, sitePath, depth + 1))
          return false;
        continue;
      }
      if (!S_ISREG(st.st_mode)) {
        *m_error = diskPath + ": not a regular file";
        return false;
      }
      m_listing->files.push_back({sitePath, diskPath, static_cast<uint64_t>(st.st_size)});
    }
    m_walking.pop_back();
    return true;
  }

 private:
  const std::vector<std::string>& m_ignore;
  const std::set<std::string>& m_skip;
  SiteListing* m_listing;
  std::vector<std::string>* m_warnings;
  std::string* m_error;
  std::vector<std::pair<dev_t, ino_t>> m_walking;  // the folders from the top to here
};

uint32_t Fnv1a(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 16777619u;
  }
  return hash;
}

// Splits "a.b.html" into "a.b" and ".html"; a name without a dot (or only a leading
// one) has no extension.
std::pair<std::string, std::string> SplitExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0)
    return {name, ""};
  return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

bool SitePathLess(const std::string& a, const std::string& b) {
  std::vector<std::string> pa = SplitPath(a), pb = SplitPath(b);
  size_t n = std::min(pa.size(), pb.size());
  for (size_t i = 0; i < n; ++i) {
    if (pa[i] == pb[i])
      continue;
    // A file of this folder against a subfolder's path: index pages first, then by name.
    return NameLess(pa[i], pb[i]);
  }
  return pa.size() < pb.size();
}

bool ListSiteFiles(const std::string& root, const std::vector<std::string>& ignore,
                   const std::set<std::string>& skipTopLevel, SiteListing* listing,
                   std::vector<std::string>* warnings, std::string* error) {
  *listing = SiteListing{};
  std::string top = root;
  while (top.size() > 1 && top.back() == '/')
    top.pop_back();
  return SiteWalker(ignore, skipTopLevel, listing, warnings, error).Walk(top, "", 0);
}

std::string PlainNameForSitePath(const std::string& sitePath) {
  std::string name = sitePath;
  bool nested = name.find('/') != std::string::npos;
  for (char& c : name) {
    if (c == '/')
      c = '.';
    else if (c == '\\')
      c = '_';
  }
  if (nested) {
    while (name.size() > 1 && name[0] == '_' && name[1] == '_')
      name.erase(0, 1);
  }
  if (name.size() > kMaxNameBytes) {
    auto [stem, ext] = SplitExtension(name);
    if (ext.size() > 16)
      ext.clear();
    char hash[16];
    std::snprintf(hash, sizeof hash, "-%08x", Fnv1a(sitePath));
    name = stem.substr(0, kMaxNameBytes - ext.size() - 9) + hash + ext;
  }
  return name;
}

std::map<std::string, std::string> AssignStoredNames(
    const std::vector<SiteFile>& files, const std::map<std::string, std::string>& fixed,
    std::vector<std::string>* warnings) {
  std::map<std::string, std::string> names;
  std::map<std::string, std::string> owner;  // stored name -> site path
  for (const auto& [path, name] : fixed)
    owner[name] = path;
  std::vector<const SiteFile*> order;
  for (const SiteFile& f : files)
    order.push_back(&f);
  auto depth = [](const std::string& p) { return std::count(p.begin(), p.end(), '/'); };
  std::stable_sort(order.begin(), order.end(), [&](const SiteFile* a, const SiteFile* b) {
    auto da = depth(a->sitePath), db = depth(b->sitePath);
    if (da != db)
      return da < db;
    return SitePathLess(a->sitePath, b->sitePath);
  });
  for (const SiteFile* f : order) {
    auto it = fixed.find(f->sitePath);
    if (it != fixed.end()) {
      names[f->sitePath] = it->second;
      continue;
    }
    std::string wanted = PlainNameForSitePath(f->sitePath);
    std::string name = wanted;
    if (owner.count(name)) {
      auto [stem, ext] = SplitExtension(wanted);
      for (int n = 2; owner.count(name); ++n)
        name = stem + "-" + std::to_string(n) + ext;
      warnings->push_back(f->sitePath + ": stored as '" + name + "', since '" + wanted +
                          "' is the name of " + owner[wanted]);
    }
    owner[name] = f->sitePath;
    names[f->sitePath] = name;
  }
  return names;
}

}  // namespace quire::pack
