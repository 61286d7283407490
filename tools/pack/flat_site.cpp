#include "flat_site.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <thread>

#include "book/lz.h"
#include "book_plan.h"
#include "platform/ascii_text.h"
#include "site_files.h"
#include "site_reference.h"

namespace quire::pack {

namespace {

std::string LowerExtension(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  return AsciiLowered(path.substr(dot + 1));
}

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0)
    return false;
  out->resize(static_cast<size_t>(size));
  in.read(out->data(), size);
  out->resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

bool PlanFlatSite(const std::string& dir, const Manifest& manifest, const std::string& splashName,
                  FlatSite* site, std::vector<std::string>* warnings, std::string* error) {
  *site = FlatSite{};
  std::set<std::string> skip = {kManifestName};
  if (!splashName.empty())
    skip.insert(splashName);
  SiteListing listing;
  if (!ListSiteFiles(dir, manifest.ignore, skip, &listing, warnings, error))
    return false;

  // Files that the manifest describes: their site path, and whether they are stored.
  std::map<std::string, std::string> fixed;  // site path -> stored name
  std::set<std::string> described;           // site paths the manifest takes care of
  std::set<std::string> listed;
  for (const SiteFile& f : listing.files)
    listed.insert(f.sitePath);
  std::vector<const FileRule*> byStoredName;  // sections that name a file of a subfolder
  for (const FileRule& rule : manifest.files) {
    std::string sitePath = rule.name;
    if (rule.source.empty() && !listed.count(rule.name)) {
      byStoredName.push_back(&rule);
      continue;
    }
    if (!rule.source.empty()) {
      std::string resolved;
      if (ResolveSitePath(rule.source, "", &resolved) != Resolution::kInside)
        continue;  // from outside the site: stored, but no page of the site refers to it
      sitePath = resolved;
    }
    described.insert(sitePath);
    if (rule.include)
      fixed[sitePath] = rule.name;
  }
  std::vector<SiteFile> stored;
  for (const SiteFile& f : listing.files) {
    bool isDescribed = described.count(f.sitePath) != 0;
    if (isDescribed && !fixed.count(f.sitePath))
      continue;  // include = no
    // A top-level splash picture or ignored file that a section names is stored anyway.
    stored.push_back(f);
    if (!isDescribed)
      site->folderFiles.push_back(f.sitePath);
  }
  for (const auto& entry : fixed) {
    const std::string& path = entry.first;  // a lambda cannot capture a structured binding
    if (std::none_of(stored.begin(), stored.end(),
                     [&](const SiteFile& f) { return f.sitePath == path; })) {
      stored.push_back({path, dir + "/" + path});  // ignored or hidden, but described
    }
  }
  site->map.names = AssignStoredNames(stored, fixed, warnings);
  site->map.folders = listing.folders;
  int rank = 0;
  for (const SiteFile& f : listing.files)
    site->pageOrder[f.sitePath] = rank++;
  for (const SiteFile& f : stored) {
    site->diskPaths[f.sitePath] = f.diskPath;
    site->sitePathOf[site->map.names[f.sitePath]] = f.sitePath;
  }
  // A section named after the stored name of a file in a subfolder ("[file:library.os.html]")
  // describes that file: the manifest's part of the plan stores it, or leaves it out.
  for (const FileRule* rule : byStoredName) {
    auto it = site->sitePathOf.find(rule->name);
    if (it == site->sitePathOf.end())
      continue;  // names no file: the plan reports it
    const std::string sitePath = it->second;
    site->folderFiles.erase(
        std::remove(site->folderFiles.begin(), site->folderFiles.end(), sitePath),
        site->folderFiles.end());
    if (!rule->include) {
      site->map.names.erase(sitePath);
      site->diskPaths.erase(sitePath);
      site->sitePathOf.erase(it);
    }
  }
  return true;
}

bool ReadFlatFile(const FlatSite& site, const std::string& sitePath, const std::string& diskPath,
                  FlatFile* file, std::string* error) {
  *file = FlatFile{};
  if (!ReadWholeFile(diskPath, &file->data)) {
    *error = "cannot read " + diskPath;
    return false;
  }
  std::string ext = LowerExtension(sitePath);
  RewrittenFile rewritten;
  if (ext == "html" || ext == "htm" || ext == "xhtml") {
    rewritten = RewriteHtmlPage(file->data, sitePath, site.map);
  } else if (ext == "css") {
    rewritten = RewriteStyleSheet(file->data, sitePath, site.map);
  } else if (ext == "js") {
    rewritten.issues = FindScriptReferences(file->data, sitePath, site.map);
  }
  if (rewritten.changed) {
    file->data = std::move(rewritten.text);
    file->changed = true;
  }
  file->title = std::move(rewritten.title);
  for (const ReferenceIssue& issue : rewritten.issues)
    file->issues.push_back(sitePath + ":" + std::to_string(issue.line) + ": " + issue.message);
  return true;
}

bool IsSiteTextFile(const std::string& sitePath) {
  std::string ext = LowerExtension(sitePath);
  return ext == "html" || ext == "htm" || ext == "xhtml" || ext == "css" || ext == "js";
}

bool ReadFlatFiles(const FlatSite& site, const std::vector<std::string>& sitePaths, bool pack,
                   std::map<std::string, FlatFile>* files, std::string* error) {
  std::vector<std::string> todo;
  for (const std::string& path : sitePaths) {
    auto name = site.map.names.find(path);
    if (!site.diskPaths.count(path) || name == site.map.names.end())
      continue;
    if (IsSiteTextFile(path) || (pack && !IsCompressedFormat(name->second)))
      todo.push_back(path);
  }
  std::vector<FlatFile> done(todo.size());
  std::vector<std::string> errors(todo.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next.fetch_add(1)) < todo.size();) {
      FlatFile& file = done[i];
      const std::string& diskPath = site.diskPaths.at(todo[i]);
      if (IsSiteTextFile(todo[i])) {
        if (!ReadFlatFile(site, todo[i], diskPath, &file, &errors[i]))
          continue;
      } else if (!ReadWholeFile(diskPath, &file.data)) {
        errors[i] = "cannot read " + diskPath;
        continue;
      }
      if (pack && !IsCompressedFormat(site.map.names.at(todo[i])))
        file.packed = LzPack(file.data);
    }
  };
  unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  threads = static_cast<unsigned>(std::min<size_t>(threads, todo.size()));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t)
    pool.emplace_back(work);
  work();
  for (std::thread& t : pool)
    t.join();
  for (size_t i = 0; i < todo.size(); ++i) {
    if (!errors[i].empty()) {
      *error = errors[i];
      return false;
    }
    (*files)[todo[i]] = std::move(done[i]);
  }
  return true;
}

std::string PathOrderSortKey(int rank) {
  char key[16];
  std::snprintf(key, sizeof key, "%06d", rank);
  return key;
}

}  // namespace quire::pack
