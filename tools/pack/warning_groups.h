// Warnings as a person reads them: a real site can hold thousands of broken references,
// most of them from a few pages or repeated in every page (a header's address), so the same
// warning found in several files shows once with the number of files, each source file
// shows a few lines of each kind and says how many more there are, and a closing line
// counts them by kind.
#ifndef QUIRE_TOOLS_PACK_WARNING_GROUPS_H_
#define QUIRE_TOOLS_PACK_WARNING_GROUPS_H_

#include <cstddef>
#include <string>
#include <vector>

namespace quire::pack {

enum class WarningKind {
  kMissingFile,  // a reference names no file of the site
  kOutsideSite,  // a reference leads out of the site folder
  kInexact,      // a reference that cannot be read or located exactly
  kScriptBuilt,  // a script builds an address
  kRenamed,      // two paths gave one stored name
  kLeftOut,      // a symbolic link or folder left out of the walk
  kBook,         // everything else: index page, extension libraries, scripts, colours
};

struct WarningOrigin {
  WarningKind kind = WarningKind::kBook;
  std::string file;  // the page or style sheet it was found in; a folder for kRenamed and
                     // kLeftOut ("." at the top); empty when it concerns the whole book
};

// Reads the kind and the source file from a warning as quire-pack words it
// ("library/os.html:12: reference 'x.html' names no file of the site").
WarningOrigin ClassifyWarning(const std::string& warning);

// The lines to print for `warnings`. A warning whose text after "FILE:LINE: " occurs in
// kSeveralFiles files or more is one line: that text, then where, as in
// "reference 'x' names no file of the site (in 1,169 pages: a.html:2, b.html:2, c.html:2
// and 1,166 more)" ("files" instead of "pages" unless each is an HTML page; each file is
// named at its first line). Every other warning is shown at most `perGroup` times per
// source file and kind, each group followed by "... and N more in FILE" (or "... and N
// more") when it held more. Groups keep the order in which they first appear, lines their
// order within a group.
inline constexpr size_t kWarningsPerGroup = 5;
// Fewer files than this keep such a warning in each file's groups: an index page and the
// page it repeats (Sphinx's genindex-all) say it twice, not every page of the site.
inline constexpr size_t kSeveralFiles = 4;
// How many places a line of a warning found in several files names.
inline constexpr size_t kPlacesNamed = 3;
std::vector<std::string> GroupWarnings(const std::vector<std::string>& warnings,
                                       size_t perGroup = kWarningsPerGroup);

// "7 warnings: 2 broken references, 1 renamed file, ..." (kinds in the order of
// WarningKind); empty for no warnings. `noun` is "warning" or "error"; kBook counts as
// "other warnings" whatever the noun.
std::string WarningSummary(const std::vector<std::string>& warnings,
                           const std::string& noun = "warning");

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_WARNING_GROUPS_H_
