// Rewrites the references of one file of a site so that they name the files' stored
// names in the book. Only the bytes of a rewritten address change; every other byte of
// the file stays as written, whatever the file holds (invalid UTF-8, broken markup).
//
// Rewritten in pages (parsed by the HTML5 rules): href, src, srcset, poster, background,
// data (of <object>) and the address of <meta http-equiv="refresh">, on any element; the
// url(...) and @import references of <style> blocks and style attributes. In style sheets:
// url(...) and @import. Each keeps its "?query" and "#fragment". Left alone: everything
// IsLeftAlone() names. Scripts are never changed, but string literals in them that look
// like references to pages are reported, since the script builds addresses the book may
// not hold.
#ifndef QUIRE_TOOLS_PACK_SITE_REWRITER_H_
#define QUIRE_TOOLS_PACK_SITE_REWRITER_H_

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

// Every file of the site by its site path, and the folders ("library").
struct SiteMap {
  std::map<std::string, std::string> names;  // site path -> stored name
  std::set<std::string> folders;
};

// A reference that was not rewritten and should have been, at a line of the file.
struct ReferenceIssue {
  int line = 0;
  std::string message;  // "reference '../x.html' names no file of the site"
};

struct RewrittenFile {
  std::string text;  // the file with its references rewritten
  bool changed = false;
  std::vector<ReferenceIssue> issues;
  std::string title;  // pages only: the text of <title>, else of the first <h1>
  // Pages only: the site paths that its links (<a href>, <area href>) lead to, in the
  // order they stand in the page, repeats included.
  std::vector<std::string> links;
};

// `sitePath` is where the file lies in the site ("library/os.html"); references resolve
// against its folder. A reference to a folder names that folder's index page.
RewrittenFile RewriteHtmlPage(std::string_view html, const std::string& sitePath,
                              const SiteMap& site);
RewrittenFile RewriteStyleSheet(std::string_view css, const std::string& sitePath,
                                const SiteMap& site);

// String literals of a script that look like addresses of pages ("x/y.html", ".html").
std::vector<ReferenceIssue> FindScriptReferences(std::string_view script,
                                                 const std::string& sitePath, const SiteMap& site);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SITE_REWRITER_H_
