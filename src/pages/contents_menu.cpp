#include "pages/contents_menu.h"

#include <algorithm>

#include "pages/contents_page.h"
#include "pages/page_entry.h"

namespace quire {

std::vector<ContentsMenuItem> BuildContentsMenu(ReaderContext& context) {
  std::vector<PageEntry> list;
  BuildContentsList(context, &list, kContentsMenuLimit);
  std::sort(list.begin(), list.end(), PageEntryBefore);

  std::vector<ContentsMenuItem> items;
  items.reserve(list.size() + 2);
  for (size_t i = 0; i < list.size(); ++i) {
    items.push_back({kContentsMenuFirstPage + static_cast<int>(i), DoubleAmpersands(list[i].title),
                     list[i].path});
  }
  if (!list.empty())
    items.push_back({});
  items.push_back({kContentsMenuViewAsPage, "&View As E-Book Page", ""});
  return items;
}

std::string DoubleAmpersands(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 4);
  for (char c : text) {
    out += c;
    if (c == '&')
      out += '&';
  }
  return out;
}

}  // namespace quire
