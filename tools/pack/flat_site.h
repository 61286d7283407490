// A site folder with subfolders, laid out as a book: every file under a plain stored
// name, and the references of its pages and style sheets rewritten to those names.
#ifndef QUIRE_TOOLS_PACK_FLAT_SITE_H_
#define QUIRE_TOOLS_PACK_FLAT_SITE_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "manifest.h"
#include "site_rewriter.h"

namespace quire::pack {

struct FlatSite {
  SiteMap map;  // every stored file of the site by its site path
  // The files the folder itself contributes, in the site's path order (site paths);
  // files that a [file:NAME] section describes come through the manifest instead.
  std::vector<std::string> folderFiles;
  std::map<std::string, std::string> diskPaths;   // site path -> where to read it
  std::map<std::string, std::string> sitePathOf;  // stored name -> site path
  std::map<std::string, int> pageOrder;           // site path -> rank in path order
};

// Walks `dir` (ListSiteFiles with the manifest's ignore patterns; the manifest and the
// splash picture at the top are left out) and names its files (AssignStoredNames: a
// [file:NAME] section with a source in the site fixes that file's name). False with
// `error` when the folder cannot be walked.
bool PlanFlatSite(const std::string& dir, const Manifest& manifest, const std::string& splashName,
                  FlatSite* site, std::vector<std::string>* warnings, std::string* error);

// True for the files whose references are rewritten (pages and style sheets) or searched
// (scripts) when a site is flattened.
bool IsSiteTextFile(const std::string& sitePath);

// The contents sort key of the page at rank `rank` of an order: digits that sort in byte
// order as the ranks do.
std::string PathOrderSortKey(int rank);

// The order in which a reader meets the site: `start` (the index page), then the pages
// its links lead to, breadth-first (each page's links in the order they stand), then every
// other one of `pathOrder` in that order. `links` maps a page's site path to the site
// paths its links lead to; a page not in `pathOrder` is never listed.
std::vector<std::string> ReadingOrder(const std::string& start,
                                      const std::vector<std::string>& pathOrder,
                                      const std::map<std::string, std::vector<std::string>>& links);

// The same over numbered files: `links[f]` lists the files page f links to, `pathOrder` the
// files in the site's path order, `start` the index page (-1 for none).
std::vector<size_t> ReadingOrderOf(int64_t start, const std::vector<size_t>& pathOrder,
                                   const std::vector<std::vector<uint32_t>>& links);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_FLAT_SITE_H_
