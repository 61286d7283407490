// A site folder with subfolders, laid out as a book: every file under a plain stored
// name, and the references of its pages and style sheets rewritten to those names.
#ifndef QUIRE_TOOLS_PACK_FLAT_SITE_H_
#define QUIRE_TOOLS_PACK_FLAT_SITE_H_

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

// One stored file of the site, read and rewritten.
struct FlatFile {
  std::string data;                 // the bytes to store
  bool changed = false;             // false: `data` is the file as it is on disk
  std::string title;                // pages: <title>, else the first <h1>
  std::vector<std::string> issues;  // "library/os.html:12: reference ..."
  std::string packed;               // LzPack(data), for files worth packing
  std::vector<std::string> links;   // pages: the site paths their links lead to
};

// Reads the file at `diskPath` (site path `sitePath`): pages (.html, .htm, .xhtml) and
// style sheets (.css) get their references rewritten, scripts (.js) are searched for
// addresses they build; other files are read as they are. False with `error` when the
// file cannot be read.
bool ReadFlatFile(const FlatSite& site, const std::string& sitePath, const std::string& diskPath,
                  FlatFile* file, std::string* error);

// True for the files ReadFlatFile rewrites or searches: pages, style sheets, scripts.
bool IsSiteTextFile(const std::string& sitePath);

// Every one of `sitePaths` that is a text file (ReadFlatFile) or is worth packing (not
// IsCompressedFormat), read, rewritten and packed, spread over the machine's processors:
// parsing and packing are most of the time a book of a site takes. Returns site path ->
// file; false with `error` (the first failure in path order) when a file cannot be read.
// Without `pack`, nothing is packed and only the text files are read.
bool ReadFlatFiles(const FlatSite& site, const std::vector<std::string>& sitePaths, bool pack,
                   std::map<std::string, FlatFile>* files, std::string* error);

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

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_FLAT_SITE_H_
