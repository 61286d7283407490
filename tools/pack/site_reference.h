// References from one file of a site to another: what kind a reference is, how it
// resolves against the folder of the file that holds it, and how a stored name is
// written back into a page.
#ifndef QUIRE_TOOLS_PACK_SITE_REFERENCE_H_
#define QUIRE_TOOLS_PACK_SITE_REFERENCE_H_

#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

// A reference split where its path ends: "a/b.html?q#f" has the path "a/b.html" and the
// tail "?q#f" (kept as written when the path is replaced).
struct ReferenceParts {
  std::string_view path;
  std::string_view tail;
};
ReferenceParts SplitReference(std::string_view reference);

// True for references that are never rewritten: empty ones, those with a scheme
// ("https:", "mailto:", "javascript:", "data:", ...), network paths ("//host/..."), links
// to a place in the same page ("#f", "?q"), the book's own command links (holding "##",
// "#!" or "#@") and references holding page variables ("[={").
bool IsLeftAlone(std::string_view reference);

// How a site-relative reference resolved.
enum class Resolution {
  kInside,        // `*resolved` is a path inside the site ("library/os.html", or "" for
                  // the site's own folder); it may still name nothing
  kOutside,       // ".." climbs above the site's folder
  kRootAbsolute,  // begins with '/': `*resolved` is read from the site's top folder, as a
                  // server that serves the site from there would read it
};

// Resolves `path` (as written: percent escapes are decoded, '\' counts as '/') against
// `baseFolder`, the site path of the referring file's folder ("" at the top, else
// "library"). "." and ".." steps are taken by name, never through the file system. A
// path ending in '/' keeps that '/' so that the caller can look for an index page.
Resolution ResolveSitePath(std::string_view path, std::string_view baseFolder,
                           std::string* resolved);

// `name` written for a reference: every byte but ASCII letters, digits, '-', '.', '_' and
// '~' as %XX, so the result is safe in any HTML attribute, srcset list and CSS url().
std::string EncodeStoredName(std::string_view name);

// Decodes the character references of an attribute value as written ("&amp;", "&#38;",
// "&#x26;" and the other few names a URL ever holds). False when the text holds a
// reference this does not know, so that the caller leaves the value as it is. With
// `rawOffsets`, it receives decoded.size() + 1 entries: where each decoded byte's text
// begins in `raw`, and last raw.size().
bool DecodeAttributeText(std::string_view raw, std::string* decoded,
                         std::vector<size_t>* rawOffsets = nullptr);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SITE_REFERENCE_H_
