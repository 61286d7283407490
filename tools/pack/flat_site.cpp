#include "flat_site.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <deque>

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

bool IsSiteTextFile(const std::string& sitePath) {
  std::string ext = LowerExtension(sitePath);
  return ext == "html" || ext == "htm" || ext == "xhtml" || ext == "css" || ext == "js";
}

std::string PathOrderSortKey(int rank) {
  char key[16];
  std::snprintf(key, sizeof key, "%06d", rank);
  return key;
}

std::vector<size_t> ReadingOrderOf(int64_t start, const std::vector<size_t>& pathOrder,
                                   const std::vector<std::vector<uint32_t>>& links) {
  std::vector<bool> known(links.size());
  for (size_t file : pathOrder)
    known[file] = true;
  std::vector<bool> met(links.size());
  std::vector<size_t> order;
  std::deque<size_t> queue;
  auto meet = [&](size_t file) {
    if (file < known.size() && known[file] && !met[file]) {
      met[file] = true;
      order.push_back(file);
      queue.push_back(file);
    }
  };
  if (start >= 0)
    meet(static_cast<size_t>(start));
  while (!queue.empty()) {
    const size_t page = queue.front();
    queue.pop_front();
    for (uint32_t target : links[page])
      meet(target);
  }
  for (size_t file : pathOrder) {
    if (!met[file]) {
      met[file] = true;
      order.push_back(file);
    }
  }
  return order;
}

std::vector<std::string> ReadingOrder(
    const std::string& start, const std::vector<std::string>& pathOrder,
    const std::map<std::string, std::vector<std::string>>& links) {
  std::map<std::string, size_t> number;
  for (const std::string& path : pathOrder)
    number.emplace(path, number.size());
  std::vector<std::vector<uint32_t>> numbered(number.size());
  for (const auto& [page, targets] : links) {
    auto from = number.find(page);
    if (from == number.end())
      continue;
    for (const std::string& target : targets) {
      auto to = number.find(target);
      if (to != number.end())
        numbered[from->second].push_back(static_cast<uint32_t>(to->second));
    }
  }
  std::vector<size_t> order(pathOrder.size());
  for (size_t i = 0; i < order.size(); ++i)
    order[i] = number[pathOrder[i]];
  auto startAt = number.find(start);
  std::vector<std::string> paths;
  for (size_t file : ReadingOrderOf(
           startAt == number.end() ? -1 : static_cast<int64_t>(startAt->second), order, numbered))
    paths.push_back(pathOrder[file]);
  return paths;
}

}  // namespace quire::pack
