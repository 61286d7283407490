// The table of contents: the book's pages marked for it, sorted, as a bulleted list of
// links written as "__jump.html".
#ifndef QUIRE_PAGES_CONTENTS_PAGE_H_
#define QUIRE_PAGES_CONTENTS_PAGE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "pages/page_entry.h"

namespace quire {

struct ReaderContext;

// The limit BuildContentsPage lists with.
inline constexpr size_t kContentsLimit = 999999;

// Appends the directory entries marked for the contents to `list`, in directory order
// (path = book folder + file name, score 0), while the status bar shows "Preparing
// Contents List"; stops once `list` holds `limit` entries or more. Always true.
bool BuildContentsList(ReaderContext& context, std::vector<PageEntry>* list, size_t limit);

// The page to show as the table of contents. Contents mode 2: the book folder + the book's
// own contents page name, nothing built. Any other mode (1 included: a direct call still
// builds it): the sorted list written as the book folder's "__jump.html"; the path is
// returned even when the write failed (the page store reports that).
std::string BuildContentsPage(ReaderContext& context);

}  // namespace quire

#endif  // QUIRE_PAGES_CONTENTS_PAGE_H_
