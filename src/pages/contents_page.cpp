#include "pages/contents_page.h"

#include <algorithm>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/file_url.h"
#include "pages/html_text.h"
#include "pages/page_template.h"
#include "pages/reader_context.h"
#include "ui/status_progress.h"

namespace quire {

bool BuildContentsList(ReaderContext& context, std::vector<PageEntry>* list, size_t limit) {
  const CEBook& book = context.book;
  const std::vector<EBookFile>& files = book.Files();
  // The directory itself bounds the walk, whatever count the settings claim.
  const size_t n = files.size();
  const std::string folder = context.store.BookFolder();
  StatusProgress progress(*context.window, "Preparing Contents List");
  for (size_t i = 0; i < n; ++i) {
    const EBookFile& file = files[i];
    if (!file.inContents)
      continue;
    progress.Step(static_cast<int>(100 * (i + 1) / (n + 1)));
    list->push_back({file.title, file.description, folder + file.fileName, 0, file.sortKey});
    if (list->size() >= limit)
      break;
  }
  return true;
}

std::string BuildContentsPage(ReaderContext& context) {
  const CEBook& book = context.book;
  if (book.ContentsMode() == 2)
    return context.store.BookFolder() + book.ContentsPageName();

  std::vector<PageEntry> list;
  BuildContentsList(context, &list, kContentsLimit);
  std::sort(list.begin(), list.end(), PageEntryBefore);

  std::string body;
  if (!list.empty()) {
    const bool descriptions = book.ContentsShowDescriptions();
    body = "<UL COMPACT>";
    for (const PageEntry& entry : list) {
      body += "<LI><B><A HREF=\"" + PageLinkFromPath(entry.path) + "\" TARGET=_top>" +
              EscapeHtml(entry.title) + "</A></B>";
      if (descriptions && !entry.description.empty()) {
        body += "<BR>" + EscapeHtml(entry.description);
      }
    }
    body += "</UL>";
  }
  std::string page = BookPageHeader(book, book.Title()) +
                     BookPageSection(book, "Table Of Contents", body) + PageFooter();
  return WriteGeneratedPage(context.store, kContentsPageFile, page);
}

}  // namespace quire
