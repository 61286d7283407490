// Turns a source folder and its manifest into the description of a book: which files are
// stored under which names with which flags and texts, and the settings, variables,
// splash picture and book id. The program image is chosen by the caller.
//
// Which files: those that [file:NAME] sections list (in manifest order), then every other
// regular file at the top of the source folder (in byte order of their names), then the
// extra files given on the command line. Left out: the manifest itself, the splash picture
// (unless a [file:] section lists it), names beginning with '.', names ending with '~', names
// matching an "ignore" pattern and files whose section says include = no.
//
// The reader keeps all files of a book in one folder, so a subfolder that is not ignored
// is an error unless the site is flattened (PlanInput::flatten or "subfolders = flatten"
// in the manifest): then every file below the folder is stored under a plain name made
// from its path (see site_files.h), the references of pages and style sheets are
// rewritten to those names (site_rewriter.h), pages are titled by their <title> or else
// their first <h1>, and their contents sort keys follow the site's path order. Files that
// a [file:NAME] section describes keep that name, wherever its source lies in the site.
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

struct PlanInput {
  std::string sourceDir;
  Manifest manifest;
  std::vector<std::string> extraFiles;  // --add paths, stored under their base names
  std::time_t buildTime = 0;            // becomes the compile date (local time)
  bool flatten = false;                 // store the files of subfolders too
  bool packAhead = true;                // flattening: LZ-pack the site's files while they
                                        // are read (false when no book is written)
};

// What a plan found out besides the book itself.
struct PlanReport {
  // Every file of the source folder that the book stores, as (path in the folder, stored
  // name), in the site's path order.
  std::vector<std::pair<std::string, std::string>> nameMap;
  // References that could not be rewritten: "page.html:12: reference ... ".
  std::vector<std::string> referenceIssues;
};

// Fills `bookSpec` (everything but the image). False with `error` for a missing or unreadable
// file, a subfolder, a name clash, a splash file that is no BMP picture, a contents or
// about page of the book's own that is not stored, or a book without files. `warnings`
// collects what is allowed but probably not meant (no index page, a start-up script naming
// a missing file, an extension library that is no ELF shared object, a name collision).
// References that could not be rewritten go to `report` when given, else to `warnings`.
bool PlanBook(const PlanInput& input, BookSpec* bookSpec, std::vector<std::string>* warnings,
              std::string* error, PlanReport* report = nullptr);

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
