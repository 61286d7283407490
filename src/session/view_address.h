// What the web view loads for a target that scripts, commands and the start page give:
// an address with a scheme, or a local path that may carry a "#fragment".
#ifndef QUIRE_SESSION_VIEW_ADDRESS_H_
#define QUIRE_SESSION_VIEW_ADDRESS_H_

#include <string>

namespace quire {

// True when `target` begins with a URL scheme ("http:", "file:", "about:" ...): a letter,
// then letters, digits, '+', '-' or '.', then ':'. A single letter before ':' is a drive
// letter, not a scheme.
bool HasUrlScheme(const std::string& target);

// The URL for `target`: an address with a scheme is returned unchanged. A path becomes a
// file URL (FileUrlFromPath); when the whole path names no file but the part before its
// first '#' does, that part becomes the file URL and the rest stays a fragment as written.
// An empty target gives the empty text.
std::string ViewUrlForTarget(const std::string& target);

}  // namespace quire

#endif  // QUIRE_SESSION_VIEW_ADDRESS_H_
