// What a book built from a folder may do, and the rule for sites.
//
// A folder that holds a book.ini is an author's book source: its settings apply as
// written. A folder without one is a site (made by another program, downloaded): its pages
// are web pages, so the book records page-commands = no and the reader shows their script
// links without running them, and the extension libraries ("__pxa__*") found in it are left
// out, unless a manifest given with --manifest names them ([file:NAME]) or --add adds them.
// A manifest's "page-commands" key decides either way. Whatever the book, the build says
// what it will be able to run: its start-up and exit script, how many of its pages and
// scripts hold script links, its extension libraries.
#ifndef QUIRE_TOOLS_PACK_SITE_TRUST_H_
#define QUIRE_TOOLS_PACK_SITE_TRUST_H_

#include <cstddef>
#include <string>
#include <vector>

#include "book/book_writer.h"
#include "book_plan.h"
#include "manifest.h"

namespace quire::pack {

struct SiteTrustInput {
  bool ownManifest = false;             // the source folder holds its own book.ini
  const Manifest* manifest = nullptr;   // the manifest read (or the empty one)
  std::vector<std::string> addedFiles;  // --add paths, stored under their base names
};

// What the book will be able to run.
struct BookPowers {
  std::string startupScript;
  std::string exitScript;
  bool pageCommands = true;
  size_t filesWithLinks = 0;           // pages and scripts that hold script links
  std::vector<std::string> libraries;  // stored "__pxa__" names, in stored order
};

// Sets `bookSpec->features.pageCommands`, leaves out the site's extension libraries (and
// their entries in `report`'s name map, when given) with a warning each, scans the pages
// and scripts for script links and, when their links will not run, warns once naming the
// key that lets them. False with `error` when a file cannot be read.
bool ApplySiteTrust(const SiteTrustInput& input, BookSpec* bookSpec, PlanReport* report,
                    std::vector<std::string>* warnings, BookPowers* powers, std::string* error);

// The lines build and run print about it: a heading, then one line each for the start-up
// script, the exit script, the script links and the extension libraries.
std::vector<std::string> BookPowersLines(const BookPowers& powers);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SITE_TRUST_H_
