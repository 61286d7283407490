// Turns a source folder and its manifest into a book: which files are stored under which
// names with which flags and texts, and the settings, variables, splash picture and book
// id. The program image is chosen by the caller.
//
// Which files: those that [file:NAME] sections list (in manifest order), then the files of
// the source folder, then the extra files given on the command line. Left out: the
// manifest itself, the splash picture (unless a [file:] section lists it), names
// beginning with '.' and names ending with '~' (at any depth), names matching an "ignore"
// pattern and files whose section says include = no.
//
// The folder's files, by the manifest's "subfolders" (source_plan.h):
//   keep (the default)  every file below the folder is stored at its path below it
//                       ("library/os.html"), byte for byte: the site's own references,
//                       also those its scripts build, work in the book as on the site.
//                       References that name nothing the book holds are reported. A
//                       folder without subfolders is no site: its files are stored as
//                       with refuse, in name order.
//   flatten (--flatten) every file below the folder is stored under a plain name made from
//                       its path (see site_files.h), with the references of pages and
//                       style sheets rewritten to those names (site_rewriter.h).
//   refuse              the files at the top only; a subfolder that is not ignored is an
//                       error.
// Of a site (keep or flatten), the pages are titled by their <title> or else their first
// <h1>, stored in the order a reader meets them (breadth-first along the links from the
// index page, then the rest in the site's path order), and get contents sort keys in that
// order. Files that a [file:NAME] section describes keep that name.
//
// Defaults for a file the manifest does not describe fully: HTML pages (.html, .htm) are
// searchable and in the contents, with the title, description and keywords of their head
// (title: the file name when the page has none). Pages, style sheets and scripts (.html,
// .htm, .css, .js, .txt) holding "[={" get their variables expanded. Every file is packed
// except formats that are compressed already (pictures, archives, audio, video, fonts),
// where packing costs time and gains nothing.
#ifndef QUIRE_TOOLS_PACK_BOOK_PLAN_H_
#define QUIRE_TOOLS_PACK_BOOK_PLAN_H_

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "book/book_writer.h"
#include "manifest.h"

namespace quire::pack {

struct SourcePlan;

struct PlanInput {
  std::string sourceDir;
  Manifest manifest;
  std::vector<std::string> extraFiles;  // --add paths, stored under their base names
  std::time_t buildTime = 0;            // becomes the compile date (local time)
  bool flatten = false;                 // --flatten: as "subfolders = flatten"
  bool packAhead = true;                // unused: files are packed as they are written
};

// What a plan found out besides the book itself.
struct PlanReport {
  // Every file of the source folder that the book stores, as (path in the folder, stored
  // name), in the site's path order.
  std::vector<std::pair<std::string, std::string>> nameMap;
  // References that will not work in the book: "page.html:12: reference ... ".
  std::vector<std::string> referenceIssues;
  // Pages and scripts that hold script links (##, #!, #@), as the book stores them.
  size_t filesWithScriptLinks = 0;
};

// A book planned from its source folder: everything but the program image, and what the
// plan found on the way.
struct PlannedBook {
  BookSpec record;
  // What is allowed but probably not meant (no index page, a start-up script naming a
  // missing file, an extension library that is no ELF shared object, a name collision, a
  // file left out), in the order found.
  std::vector<std::string> warnings;
  PlanReport report;
};

// Plans the book of `input` in three steps: PlanSources (source_plan.h) finds the files,
// AssembleBook reads each once and completes the settings. A rewritten file's bytes are
// kept as its data, every other file is named by its source path. False with `error` for
// a missing or unreadable file, a refused subfolder, a name clash, a splash file that is
// no BMP picture, a contents or about page of the book's own that is not stored, or a
// book without files.
bool PlanBook(const PlanInput& input, PlannedBook* book, std::string* error);

// How AssembleBook keeps what it reads. With `writer`, each file's stored bytes go to it
// as soon as they are ready, and the files of the record hold the entries alone (with their
// data offsets), ready for BookFileWriter::Finish(). Without, a rewritten file's bytes
// are kept as its data when `keepRewritten` (as PlanBook keeps them) and every other file
// is named by its source path.
struct AssembleOptions {
  BookFileWriter* writer = nullptr;
  bool keepRewritten = false;
};

// The steps after PlanSources, for a build that writes the book as its files are read:
// every file of `plan` is read (ReadSourcesInOrder) and its entry completed, the files
// ordered for reading and the settings completed. `book`'s record gets everything but its
// image (which the caller may have set) and the files in stored order; warnings are
// added to what `book` holds already. Fails as PlanBook does, or when the writer fails.
bool AssembleBook(const PlanInput& input, const SourcePlan& plan, const AssembleOptions& options,
                  PlannedBook* book, std::string* error);

// How much of a page is read for its head texts.
inline constexpr size_t kHeadBytes = 65536;

// True for names of HTML pages (.html, .htm, any case).
bool IsHtmlName(const std::string& name);

// Applies what a [file:] section sets to `entry`.
void ApplyFileRule(const FileRule& rule, EBookFile* entry);

// The default flags for a file stored as `name` whose first bytes are `head` (for HTML,
// its head is read for the texts) and which holds "[={" when `hasPageVariables`.
EBookFile DefaultFileEntry(const std::string& name, const std::string& head, bool hasPageVariables);

// True for names whose data is compressed already (.png, .jpg, .zip, ...).
bool IsCompressedFormat(const std::string& name);

// A default identifier from a folder name: letters, digits, '-' and '_' kept, the rest
// dropped; "book" when nothing is left.
std::string IdentifierFromName(const std::string& name);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_BOOK_PLAN_H_
