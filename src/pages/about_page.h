// The about page the reader generates.
#ifndef QUIRE_PAGES_ABOUT_PAGE_H_
#define QUIRE_PAGES_ABOUT_PAGE_H_

#include <string>

namespace quire {

// The path of the page to show as the about page.
std::string BuildAboutPage();

}  // namespace quire

#endif  // QUIRE_PAGES_ABOUT_PAGE_H_
