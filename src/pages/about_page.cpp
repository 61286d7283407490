// TEMPORARY placeholder so that the loader links; the about page work replaces this file.
#include "pages/about_page.h"

namespace quire {

std::string BuildAboutPage() { return {}; }

}  // namespace quire
