// Finding the script links ("##command", "#!script", "#@path") a site's pages and scripts
// hold, so that a build can say what its book will be able to run.
//
// A page holds one when a marker stands inside a tag (an attribute such as href, src,
// action, content, or an event handler: character references for '#', '!' and '@' are
// read as those characters, as the browser reads them) or inside a <script> element; the
// text of a page (a code sample reading "#![feature]") is no link, and neither is an
// address of another place (https://groups.example/#!forum: the reader runs links of the
// book's own files only), though a javascript: address is code and counts. A script file holds
// one when a marker stands anywhere in it (a page script may build its address,
// location.hash = "##RUN(...)"). Addresses assembled from pieces are not found: the
// scan informs, the reader's policy decides.
#ifndef QUIRE_TOOLS_PACK_SCRIPT_LINK_SCAN_H_
#define QUIRE_TOOLS_PACK_SCRIPT_LINK_SCAN_H_

#include <string>
#include <string_view>

namespace quire::pack {

enum class LinkScanKind {
  kNone,    // a file the web view does not run: not scanned
  kPage,    // .html, .htm, .xhtml, .shtml, .svg
  kScript,  // .js, .mjs
};

// What kind of file a stored name is, by its extension (any letter case).
LinkScanKind LinkScanKindOf(const std::string& name);

// True when `bytes`, a file of `kind`, holds a script link as described above.
bool HoldsScriptLinks(std::string_view bytes, LinkScanKind kind);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SCRIPT_LINK_SCAN_H_
