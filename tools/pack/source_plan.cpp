#include "source_plan.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "book/stored_name.h"
#include "site_files.h"

namespace quire::pack {

namespace {

namespace fs = std::filesystem;

bool MatchesAny(const std::vector<std::string>& patterns, const std::string& name) {
  for (const std::string& p : patterns) {
    std::string pattern = p;
    if (!pattern.empty() && pattern.back() == '/')
      pattern.pop_back();
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0)
      return true;
  }
  return false;
}

// The regular files at the top of `dir` that no [file:] section describes, in byte order
// of their names. A subfolder that is not ignored is an error ("subfolders = refuse").
bool ListTopLevel(const std::string& dir, const Manifest& manifest,
                  const std::map<std::string, const FileRule*>& rules,
                  const std::string& splashName, std::vector<std::string>* folderFiles,
                  std::string* error) {
  std::error_code ec;
  std::vector<std::string> names;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  if (ec) {
    *error = dir + ": cannot list the folder: " + ec.message();
    return false;
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    bool described = rules.count(name) != 0;
    if (name == kManifestName || name.front() == '.' || name.back() == '~')
      continue;
    if (!described && (MatchesAny(manifest.ignore, name) || name == splashName))
      continue;
    std::string path = JoinPath(dir, name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
      *error = path + ": cannot read it";
      return false;
    }
    if (S_ISDIR(st.st_mode)) {
      *error = path +
               ": a subfolder, and [book] says \"subfolders = refuse\". Without that line the "
               "book keeps the site's folders as they are; with --flatten (or \"subfolders = "
               "flatten\") it stores the whole site under plain names with its links "
               "rewritten; or add \"ignore = " +
               name +
               "/\" to [book], or list single files of it as [file:NAME] with source = " + name +
               "/...";
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      *error = path + ": not a regular file";
      return false;
    }
    if (!described)
      folderFiles->push_back(name);
  }
  return true;
}

// A file of the folder, as the layout found it.
struct FolderFile {
  std::string name;
  std::string diskPath;
  std::string sitePath;
  std::string origin;
};

// The site's own files for a book that keeps its folders: every file below the folder at
// its path, but those a [file:] section describes (it stores them itself, or leaves them
// out). A path a book cannot store is left out with a warning. `isSite` is false when
// the folder has no subfolder to keep (after `ignore`): then nothing is listed, and a book
// of its files is made as books always were, without a reading order.
bool ListKeptSite(const std::string& dir, const Manifest& manifest, const std::string& splashName,
                  const std::map<std::string, const FileRule*>& rules, bool* isSite,
                  std::vector<FolderFile>* folderFiles, std::vector<std::string>* warnings,
                  std::string* error) {
  std::set<std::string> skip = {kManifestName};
  if (!splashName.empty())
    skip.insert(splashName);
  SiteListing listing;
  std::vector<std::string> walkWarnings;
  if (!ListSiteFiles(dir, manifest.ignore, skip, &listing, &walkWarnings, error))
    return false;
  *isSite = !listing.folders.empty();
  if (!*isSite)
    return true;
  warnings->insert(warnings->end(), walkWarnings.begin(), walkWarnings.end());
  for (const SiteFile& f : listing.files) {
    switch (CheckStoredName(f.sitePath)) {
      case StoredNameCheck::kValid:
        break;
      case StoredNameCheck::kInvalid:
        warnings->push_back(f.sitePath +
                            ": its name holds '\\' or a control character, which a book cannot "
                            "store; left out");
        continue;
      case StoredNameCheck::kBeyondLimits:
        if (FoldersOfStoredName(f.sitePath).size() >= kMaxStoredNameParts) {
          warnings->push_back(f.sitePath + ": folders nested too deep; left out");
        } else {
          warnings->push_back(f.sitePath +
                              ": a path longer than a book keeps (1024 bytes, 255 per part); "
                              "left out");
        }
        continue;
    }
    if (rules.count(f.sitePath))
      continue;
    folderFiles->push_back({f.sitePath, f.diskPath, f.sitePath, JoinPath(dir, f.sitePath)});
  }
  return true;
}

// Adds files to the plan, refusing a second file of one name and anything that is no
// regular file.
class Planner {
 public:
  Planner(SourcePlan* plan, std::string* error) : m_plan(*plan), m_error(*error) {}

  bool Add(PlannedFile::Group group, const std::string& name, const std::string& path,
           const FileRule* rule, const std::string& origin, const std::string& sitePath) {
    if (auto it = m_plan.byName.find(name); it != m_plan.byName.end()) {
      m_error = origin + ": a file named '" + name + "' is already in the book (from " +
                m_plan.files[it->second].origin + ")";
      return false;
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      m_error = origin + ": " + path + " is not a readable file";
      return false;
    }
    const auto index = static_cast<uint32_t>(m_plan.files.size());
    m_plan.files.push_back(
        {name, path, sitePath, rule, origin, static_cast<uint64_t>(st.st_size), group});
    m_plan.byName.emplace(name, index);
    if (!sitePath.empty())
      m_plan.bySitePath.emplace(sitePath, index);
    return true;
  }

 private:
  SourcePlan& m_plan;
  std::string& m_error;
};

// The plan's lookups by name, by site path and its folders, made from its files.
void IndexPlannedFiles(SourcePlan* plan) {
  plan->byName.clear();
  plan->bySitePath.clear();
  plan->folders.clear();
  for (size_t i = 0; i < plan->files.size(); ++i) {
    const PlannedFile& f = plan->files[i];
    plan->byName.emplace(f.name, static_cast<uint32_t>(i));
    if (!f.sitePath.empty())
      plan->bySitePath.emplace(f.sitePath, static_cast<uint32_t>(i));
    for (std::string_view folder : FoldersOfStoredName(f.name))
      plan->folders.emplace(folder);
  }
}

// A name that leads through another file of the book cannot be extracted: refused here.
bool NoNameThroughAFile(const SourcePlan& plan, std::string* error) {
  std::vector<std::string_view> names;
  for (const PlannedFile& f : plan.files)
    names.push_back(f.name);
  const std::vector<size_t> blocked = NamesLeadingThroughFiles(names);
  if (blocked.empty())
    return true;
  const PlannedFile& through = plan.files[blocked.front()];
  for (std::string_view folder : FoldersOfStoredName(through.name)) {
    auto file = plan.byName.find(std::string(folder));
    if (file == plan.byName.end())
      continue;
    *error = through.origin + ": '" + through.name + "' cannot be stored, since '" +
             std::string(folder) + "' is a file of the book (from " +
             plan.files[file->second].origin + ")";
    return false;
  }
  return true;
}

// What the manifest says about the files: the [file:] section of each name, and the
// splash picture's name when it lies at the top of the folder (it is no file of the book).
struct SourceRules {
  std::map<std::string, const FileRule*> byName;
  std::string splashName;
};

SourceRules RulesOf(const Manifest& manifest) {
  SourceRules rules;
  for (const FileRule& r : manifest.files)
    rules.byName[r.name] = &r;
  if (manifest.splash.find('/') == std::string::npos)
    rules.splashName = manifest.splash;
  return rules;
}

SiteLayout ChooseLayout(const PlanInput& input) {
  if (input.flatten || input.manifest.flattenSubfolders)
    return SiteLayout::kFlattened;
  return input.manifest.refuseSubfolders ? SiteLayout::kTopOnly : SiteLayout::kKept;
}

// A flattened book stores plain names only, so its [file:] sections name plain names.
bool CheckFlatSections(const Manifest& manifest, std::string* error) {
  for (const FileRule& rule : manifest.files) {
    if (rule.name.find('/') != std::string::npos) {
      *error = std::string(kManifestName) + ":" + std::to_string(rule.line) +
               ": [file:" + rule.name +
               "]: a flattened book stores plain names only; name the file by its stored "
               "name (a/b.html is stored as a.b.html)";
      return false;
    }
  }
  return true;
}

// The folder's own files, as the plan's layout finds them. A kept folder without a
// subfolder is planned as the files at its top (the layout becomes kTopOnly).
bool ListFolderFiles(const PlanInput& input, const SourceRules& rules, SourcePlan* plan,
                     std::vector<FolderFile>* folderFiles, std::vector<std::string>* warnings,
                     std::string* error) {
  const Manifest& manifest = input.manifest;
  const std::string& dir = input.sourceDir;
  switch (plan->layout) {
    case SiteLayout::kFlattened: {
      if (!CheckFlatSections(manifest, error) ||
          !PlanFlatSite(dir, manifest, rules.splashName, &plan->flat, warnings, error)) {
        return false;
      }
      for (const std::string& file : plan->flat.folderFiles) {
        folderFiles->push_back(
            {plan->flat.map.names[file], plan->flat.diskPaths[file], file, JoinPath(dir, file)});
      }
      return true;
    }
    case SiteLayout::kKept: {
      bool isSite = false;
      if (!ListKeptSite(dir, manifest, rules.splashName, rules.byName, &isSite, folderFiles,
                        warnings, error)) {
        return false;
      }
      if (isSite)
        return true;
      // No subfolder: the files at the top, as a book of a plain folder always had them.
      plan->layout = SiteLayout::kTopOnly;
      [[fallthrough]];
    }
    case SiteLayout::kTopOnly: {
      std::vector<std::string> names;
      if (!ListTopLevel(dir, manifest, rules.byName, rules.splashName, &names, error))
        return false;
      for (const std::string& name : names)
        folderFiles->push_back({name, JoinPath(dir, name), "", JoinPath(dir, name)});
      return true;
    }
  }
  return true;
}

// Where a [file:] section's file lies in the site, when it is one of the site's files.
// `path` is where its bytes are read; a flattened site's section that names a stored name
// reads the site's file of that name.
std::string SitePathOfRule(const SourcePlan& plan, const FileRule& rule, std::string* path) {
  if (plan.layout == SiteLayout::kFlattened) {
    auto inSite = plan.flat.sitePathOf.find(rule.name);
    if (inSite == plan.flat.sitePathOf.end())
      return "";
    if (rule.source.empty()) {  // "[file:library.os.html]"
      auto disk = plan.flat.diskPaths.find(inSite->second);
      *path = disk == plan.flat.diskPaths.end() ? "" : disk->second;
    }
    return inSite->second;
  }
  return plan.layout == SiteLayout::kKept && rule.source.empty() ? rule.name : "";
}

// The plan's files in their order: those [file:] sections describe, the folder's own,
// the --add files.
bool AddPlannedFiles(const PlanInput& input, const SourceRules& rules,
                     const std::vector<FolderFile>& folderFiles, SourcePlan* plan,
                     std::string* error) {
  Planner planner(plan, error);
  for (const FileRule& rule : input.manifest.files) {
    if (!rule.include)
      continue;
    const std::string origin = std::string(kManifestName) + ":" + std::to_string(rule.line);
    std::string path = JoinPath(input.sourceDir, rule.source.empty() ? rule.name : rule.source);
    const std::string sitePath = SitePathOfRule(*plan, rule, &path);
    if (!planner.Add(PlannedFile::Group::kDescribed, rule.name, path, &rule, origin, sitePath))
      return false;
  }
  for (const FolderFile& f : folderFiles) {
    if (!planner.Add(PlannedFile::Group::kFolder, f.name, f.diskPath, nullptr, f.origin,
                     f.sitePath))
      return false;
  }
  for (const std::string& extra : input.extraFiles) {
    std::string name = BaseName(extra);
    if (!IsPlainFileName(name)) {
      *error = "--add " + extra + ": not a file name";
      return false;
    }
    auto rule = rules.byName.find(name);
    if (!planner.Add(PlannedFile::Group::kAdded, name, extra,
                     rule == rules.byName.end() ? nullptr : rule->second, "--add " + extra, "")) {
      return false;
    }
  }
  return true;
}

// Every file of the source folder the book stores, as (path in the folder, stored name),
// in the site's path order (a folder without a site: in plan order).
void MakeNameMap(SourcePlan* plan) {
  if (plan->layout == SiteLayout::kFlattened) {
    for (const auto& [path, name] : plan->flat.map.names)
      plan->nameMap.emplace_back(path, name);
  } else {
    for (const PlannedFile& f : plan->files)
      plan->nameMap.emplace_back(f.name, f.name);
  }
  if (plan->layout != SiteLayout::kTopOnly) {
    std::sort(plan->nameMap.begin(), plan->nameMap.end(),
              [](const auto& a, const auto& b) { return SitePathLess(a.first, b.first); });
  }
}

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!name.empty() && name.front() == '/')
    return name;
  if (dir.empty() || dir.back() == '/')
    return dir + name;
  return dir + "/" + name;
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

bool PlanSources(const PlanInput& input, SourcePlan* plan, std::vector<std::string>* warnings,
                 std::string* error) {
  *plan = SourcePlan{};
  std::error_code ec;
  if (!fs::is_directory(input.sourceDir, ec)) {
    *error = input.sourceDir + ": not a folder";
    return false;
  }
  const SourceRules rules = RulesOf(input.manifest);
  plan->layout = ChooseLayout(input);
  std::vector<FolderFile> folderFiles;
  if (!ListFolderFiles(input, rules, plan, &folderFiles, warnings, error) ||
      !AddPlannedFiles(input, rules, folderFiles, plan, error)) {
    return false;
  }
  if (plan->files.empty()) {
    *error =
        input.sourceDir + ": no files to put in the book (the reader refuses a book without files)";
    return false;
  }
  if (!NoNameThroughAFile(*plan, error))
    return false;
  IndexPlannedFiles(plan);
  MakeNameMap(plan);
  return true;
}

void KeepPlannedFiles(SourcePlan* plan, const std::vector<bool>& keep) {
  std::unordered_set<std::string> gone;
  for (size_t i = 0; i < plan->files.size(); ++i) {
    if (i >= keep.size() || !keep[i])
      gone.insert(plan->files[i].name);
  }
  if (gone.empty())
    return;
  std::vector<PlannedFile> kept;
  for (PlannedFile& file : plan->files) {
    if (!gone.count(file.name))
      kept.push_back(std::move(file));
  }
  plan->files = std::move(kept);
  IndexPlannedFiles(plan);
  auto& map = plan->nameMap;
  map.erase(std::remove_if(map.begin(), map.end(),
                           [&](const auto& entry) { return gone.count(entry.second) > 0; }),
            map.end());
}

}  // namespace quire::pack
