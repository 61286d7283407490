// The files of a site folder, walked through all its subfolders, and the plain names they
// are stored under in a book.
#ifndef QUIRE_TOOLS_PACK_SITE_FILES_H_
#define QUIRE_TOOLS_PACK_SITE_FILES_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quire::pack {

struct SiteFile {
  std::string sitePath;  // below the site folder, '/'-separated: "library/os.html"
  std::string diskPath;  // where to read it (through symbolic links)
  uint64_t size = 0;     // its size when it was listed
};

struct SiteListing {
  std::vector<SiteFile> files;    // in the site's path order (SitePathLess)
  std::set<std::string> folders;  // site paths of the folders walked ("library")
};

// Walks `root`. Left out: hidden names (beginning with '.') at any depth, names ending
// in '~', the files named in `skipTopLevel` (the manifest, the splash picture) when they
// lie at the top, and whatever an `ignore` pattern matches. A pattern holding a '/'
// (other than a last one) matches the site path ("api/*.txt"; a leading '/' anchors it to
// the top); any other pattern matches a name at any depth ("*.psd"); a pattern ending in
// '/' matches folders only ("drafts/").
//
// A symbolic link to a file is read as that file, wherever it lies; a link to a folder
// is walked unless it leads back into a folder being walked (a loop), which is skipped with
// a warning, as is a link that leads nowhere. False with `error` when a folder cannot be
// listed or an entry is neither a file nor a folder.
bool ListSiteFiles(const std::string& root, const std::vector<std::string>& ignore,
                   const std::set<std::string>& skipTopLevel, SiteListing* listing,
                   std::vector<std::string>* warnings, std::string* error);

// The site's path order: folder by folder, an index page ("index.html", then
// "index.htm") before everything else of its folder, the rest in byte order of names.
bool SitePathLess(const std::string& a, const std::string& b);

// The readable plain name for a site path: its parts joined by '.' ("library/os.html" ->
// "library.os.html"); '\' becomes '_'; a name from a subfolder never begins with "__"
// (the reader's own files and extension libraries do); a name longer than 200 bytes keeps
// its extension and ends its stem with a hash of the whole path.
std::string PlainNameForSitePath(const std::string& sitePath);

// Gives every file a stored name that no other file has. `fixed` maps site paths to names
// chosen by the manifest; those are kept as they are. The others get PlainNameForSitePath,
// handed out top-level files first, then by depth and path order, so that the name a file
// gets depends only on the site's paths; a name already taken gets "-2", "-3", ... before
// its extension, with a warning. Returns site path -> stored name.
std::map<std::string, std::string> AssignStoredNames(
    const std::vector<SiteFile>& files, const std::map<std::string, std::string>& fixed,
    std::vector<std::string>* warnings);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SITE_FILES_H_
