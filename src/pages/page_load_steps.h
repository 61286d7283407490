// The steps of loading a book that belong to the pages: plain-text variables become HTML
// and flagged pages have their page-form variables expanded.
#ifndef QUIRE_PAGES_PAGE_LOAD_STEPS_H_
#define QUIRE_PAGES_PAGE_LOAD_STEPS_H_

#include "book/cebook.h"

namespace quire {

struct ReaderContext;

// TextToHtml for the variables and ExpandVariablesInPage for the flagged pages.
BookLoadSteps PageLoadSteps(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_PAGES_PAGE_LOAD_STEPS_H_
