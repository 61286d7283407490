// The Contents drop-down of the toolbar: the first pages marked for the contents, sorted,
// then "&View As E-Book Page".
#ifndef QUIRE_PAGES_CONTENTS_MENU_H_
#define QUIRE_PAGES_CONTENTS_MENU_H_

#include <cstddef>
#include <string>
#include <vector>

namespace quire {

struct ReaderContext;

// How many pages the drop-down lists at most.
inline constexpr size_t kContentsMenuLimit = 20;
// Item ids: "&View As E-Book Page", and the first page (page i has kContentsMenuFirstPage+i).
inline constexpr int kContentsMenuViewAsPage = 100;
inline constexpr int kContentsMenuFirstPage = 1000;

// One item. A separator has id 0 and empty texts. `text` uses '&' access keys, so a literal
// ampersand of a title is written "&&"; `path` is the page to open (empty for
// "&View As E-Book Page", which shows the contents page instead).
struct ContentsMenuItem {
  int id = 0;
  std::string text;
  std::string path;
  bool IsSeparator() const { return id == 0; }
};

// The drop-down's items: the first kContentsMenuLimit pages marked for the contents in
// directory order, sorted among themselves in the contents order, then (when there was
// at least one page) a separator, then "&View As E-Book Page". Builds the list the way the
// contents page does, with the status bar's "Preparing Contents List".
std::vector<ContentsMenuItem> BuildContentsMenu(ReaderContext& context);

// `text` with every '&' doubled, so that a menu shows it literally.
std::string DoubleAmpersands(const std::string& text);

}  // namespace quire

#endif  // QUIRE_PAGES_CONTENTS_MENU_H_
