// The text a reader sees on a page, which is what the search of a book built by quire-pack
// reads (instead of the page's raw bytes).
//
// VisibleText works on any bytes, well-formed HTML or not, and never fails: tags and
// their attributes, comments, declarations, processing instructions and the contents of
// <script>, <style>, <title>, <template> and <noscript> are left out; character references
// (named, decimal, hexadecimal) are decoded; every run of white space, and the boundary of
// any element that is not an inline one (<p>, <div>, <br>, <li>, <td>, ...), becomes one
// space; the text has no space at either end. Inline elements (<a>, <b>, <code>, <span>,
// ...) join their text to what surrounds them. A "<" that starts no tag is text.
#ifndef QUIRE_PAGES_VISIBLE_TEXT_H_
#define QUIRE_PAGES_VISIBLE_TEXT_H_

#include <string>
#include <string_view>

#include "platform/text_case.h"

namespace quire {

// In a UTF-8 book references become UTF-8 and a no-break space (literal or referenced) is
// white space. In a Windows-1252 book a reference becomes its character's byte where the
// code page has one and stays as written where it has none; byte 0xA0 is white space.
std::string VisibleText(std::string_view html, TextEncoding encoding);

// The text the search reads of a book file stored as `name` holding `bytes`: VisibleText
// for a page (a name ending in .html, .htm, .xhtml or .shtml, in any case), else the bytes
// up to the first zero byte with every run of white space as one space and none at the
// ends.
std::string SearchTextOfFile(std::string_view name, std::string_view bytes, TextEncoding encoding);

// True for the names SearchTextOfFile reads as pages.
bool IsPageName(std::string_view name);

}  // namespace quire

#endif  // QUIRE_PAGES_VISIBLE_TEXT_H_
