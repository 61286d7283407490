// The frame shared by the pages the reader generates (about, contents, search results): a
// head with a style sheet for links, a centred body, and boxed sections with a bold centred
// heading, all in the book's colours. Lines end with CR LF; colours are written bare (six
// hexadecimal digits, no "#", no quotes).
#ifndef QUIRE_PAGES_PAGE_TEMPLATE_H_
#define QUIRE_PAGES_PAGE_TEMPLATE_H_

#include <cstdint>
#include <string>

#include "platform/env.h"

namespace quire {

class CEBook;
class PageStore;

// Names of the generated pages, directly inside the book folder.
inline constexpr char kAboutPageFile[] = "__about.html";
inline constexpr char kSearchPageFile[] = "__search.html";
inline constexpr char kContentsPageFile[] = "__jump.html";
inline constexpr char kDisplayPageFile[] = "__display.html";

// The page head and the opening of the centred body. `title` is inserted unchanged.
std::string PageHeader(const std::string& title, int32_t background, int32_t link, int32_t visited,
                       int32_t hover);

// One boxed section. `heading` and `body` are HTML and inserted unchanged.
std::string PageSection(const std::string& heading, const std::string& body, int32_t boxColour,
                        int32_t textColour);

// Closes the body and the page.
std::string PageFooter();

// PageHeader with the book's title and colours.
std::string BookPageHeader(const CEBook& book, const std::string& title);
// PageSection in the book's box and text colours.
std::string BookPageSection(const CEBook& book, const std::string& heading,
                            const std::string& body);

// Writes `html` byte for byte as the book folder's "__display.html" and returns its full
// path. A failed write is reported by the page store's message; the path is returned
// anyway.
std::string BuildDisplayPage(PageStore& store, const std::string& html, Env* env = Env::Default());

// Writes a generated page named `fileName` into the book folder through `env` and returns
// its full path, whether or not the write succeeded (the page store reports a failure).
std::string WriteGeneratedPage(PageStore& store, const std::string& fileName,
                               const std::string& html, Env* env = Env::Default());

}  // namespace quire

#endif  // QUIRE_PAGES_PAGE_TEMPLATE_H_
