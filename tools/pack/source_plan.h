// The first step of a build: which files of the source folder a book stores, under which
// names, with which [file:] sections, found without reading any of them.
//
// Three layouts (book_plan.h has the whole story):
//   kept       the default: every file below the folder is stored at its path
//              ("library/os.html"), pages byte for byte;
//   flattened  --flatten or "subfolders = flatten": plain names made from the paths, the
//              references of pages and style sheets rewritten to them (flat_site.h);
//   top only   "subfolders = refuse": the files at the top, and a subfolder that is not
//              ignored is an error.
#ifndef QUIRE_TOOLS_PACK_SOURCE_PLAN_H_
#define QUIRE_TOOLS_PACK_SOURCE_PLAN_H_

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "book_plan.h"
#include "flat_site.h"
#include "manifest.h"

namespace quire::pack {

enum class SiteLayout { kKept, kFlattened, kTopOnly };

// One file the book will store.
struct PlannedFile {
  // Where the plan found it: a [file:] section, the folder, --add.
  enum class Group { kDescribed, kFolder, kAdded };
  std::string name;      // the stored name
  std::string diskPath;  // where its bytes are read
  // Where it lies in the site ("library/os.html") when it is one of the site's files, whose
  // links count for the reading order; empty for one from elsewhere (--add, a [file:]
  // section's source).
  std::string sitePath;
  const FileRule* rule = nullptr;  // the [file:] section that describes it
  std::string origin;              // where it was asked for, for messages
  uint64_t size = 0;               // on disk when planned
  Group group = Group::kFolder;
};

struct SourcePlan {
  SiteLayout layout = SiteLayout::kKept;
  // In the order they are read and their data stored: the files [file:] sections
  // describe (in manifest order), then the folder's own files (in the site's path order),
  // then the --add files.
  std::vector<PlannedFile> files;
  FlatSite flat;  // kFlattened: the site's names, for rewriting its references
  std::unordered_map<std::string, uint32_t> byName;      // stored name -> file
  std::unordered_map<std::string, uint32_t> bySitePath;  // site path -> file
  std::unordered_set<std::string> folders;               // kKept: folders of stored names
  // Every file of the source folder the book stores, as (path in the folder, stored
  // name), in the site's path order.
  std::vector<std::pair<std::string, std::string>> nameMap;
};

// Lists the files of `input` as the plan above. False with `error` for a source that is
// no folder or cannot be walked, a subfolder with "subfolders = refuse", a file that is
// no regular file, two files of one name, a name that leads through another file's name,
// a path in a flattened book's [file:] section, an --add name that is no plain name, or
// no file at all. Files of the site whose names a book cannot store (a '\' or a control
// byte, longer or deeper than the limits) are left out with a warning.
bool PlanSources(const PlanInput& input, SourcePlan* plan, std::vector<std::string>* warnings,
                 std::string* error);

// Keeps the planned files for which `keep` (indexed as plan->files) holds, in their order,
// and the plan's indexes, folders and name map with them.
void KeepPlannedFiles(SourcePlan* plan, const std::vector<bool>& keep);

// The name of the folder a path lies in ("a/b" for "a/b/c.html", "" at the top).
std::string FolderOfPath(const std::string& path);

// `name` in `dir` (an absolute `name` stays as it is), and the last part of a path.
std::string JoinPath(const std::string& dir, const std::string& name);
std::string BaseName(std::string path);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SOURCE_PLAN_H_
