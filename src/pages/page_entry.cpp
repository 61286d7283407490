#include "pages/page_entry.h"

#include <string_view>

namespace quire {
namespace {

// Byte order on unsigned bytes, with the empty text after every other one. Negative when
// `a` goes first, 0 when equal.
int CompareListed(std::string_view a, std::string_view b) {
  if (a.empty() != b.empty())
    return a.empty() ? 1 : -1;
  return a.compare(b);  // char_traits<char>::compare orders bytes as unsigned char
}

}  // namespace

bool PageEntryBefore(const PageEntry& a, const PageEntry& b) {
  if (a.score != b.score)
    return a.score > b.score;
  if (int c = CompareListed(a.sortKey, b.sortKey); c != 0)
    return c < 0;
  if (int c = CompareListed(a.title, b.title); c != 0)
    return c < 0;
  if (int c = CompareListed(a.description, b.description); c != 0)
    return c < 0;
  return std::string_view(a.path).compare(b.path) < 0;
}

}  // namespace quire
