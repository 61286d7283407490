// Addresses from a book's settings written as link attributes of a generated page.
//
// The pages keep their attributes unquoted (HREF=address), so an ordinary address gives
// the bytes it always gave. A value that could end the attribute early and start another
// one (a blank, a quote, '<', '>', '`') is written in double quotes instead, and an
// address whose scheme could run a script is no link at all.
#ifndef QUIRE_PAGES_LINK_ATTRIBUTE_H_
#define QUIRE_PAGES_LINK_ATTRIBUTE_H_

#include <string>

namespace quire {

// True when `address` may be a link target of a generated page: it names no scheme (a
// file beside the page), or http, https, ftp, mailto, news or file, read as the browser
// reads it (blanks and control bytes around it and tabs and line breaks inside it do not
// count, letter case neither). "javascript:", "data:" and any other scheme may not be a
// link. Character references are not read: HrefValue quotes a value in which one could
// stand before the scheme's ':', so the browser reads it as written.
bool IsLinkableAddress(const std::string& address);

// `address` as written after "HREF=": as it is when it holds no blank, quote, '<', '>',
// '`', and no '&' before its first ':' (or at all, without one); otherwise in double quotes
// with '&', '<', '>' and '"' escaped, which the browser reads back to the same address.
std::string HrefValue(const std::string& address);

// An attribute value whose '&', '<', '>' and '"' are escaped already: as it is, or in
// double quotes when it holds a blank, '\'' or '`'.
std::string EscapedAttributeValue(const std::string& escaped);

}  // namespace quire

#endif  // QUIRE_PAGES_LINK_ATTRIBUTE_H_
