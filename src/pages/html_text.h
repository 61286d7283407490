// Turning texts into HTML.
#ifndef QUIRE_PAGES_HTML_TEXT_H_
#define QUIRE_PAGES_HTML_TEXT_H_

#include <string>

namespace quire {

// Plain text to HTML (escapes and line breaks).
std::string TextToHtml(const std::string& text);

}  // namespace quire

#endif  // QUIRE_PAGES_HTML_TEXT_H_
