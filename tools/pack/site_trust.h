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
#include "source_plan.h"

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

// Before the files are read: leaves the site's extension libraries out of `plan` (and its
// name map) with a warning each.
void LeaveOutSiteLibraries(const SiteTrustInput& input, SourcePlan* plan,
                           std::vector<std::string>* warnings);

// Once the book's files are read (`report` counts the pages and scripts that hold script
// links): sets `bookSpec->features.pageCommands`, says what the book can run in `powers`
// and, when the links will not run, warns once naming the key that lets them.
void ApplySiteTrust(const SiteTrustInput& input, const PlanReport& report, BookSpec* bookSpec,
                    std::vector<std::string>* warnings, BookPowers* powers);

// The lines build and run print about it: a heading, then one line each for the start-up
// script, the exit script, the script links and the extension libraries.
std::vector<std::string> BookPowersLines(const BookPowers& powers);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SITE_TRUST_H_
