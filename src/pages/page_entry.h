// One listed page of the table of contents or of the search results, and the one order
// both lists are sorted in.
#ifndef QUIRE_PAGES_PAGE_ENTRY_H_
#define QUIRE_PAGES_PAGE_ENTRY_H_

#include <cstdint>
#include <string>

namespace quire {

struct PageEntry {
  std::string title;        // from the file's directory entry
  std::string description;  // from the file's directory entry
  std::string path;         // book folder + file name
  int32_t score = 0;        // search score 0 to 10000; 0 in the contents list
  std::string sortKey;      // contents sort key; empty in search results
};

// True when `a` goes before `b`: the higher score first; then by sort key, title and
// description, where a non-empty text goes before an empty one and texts compare byte by
// byte (so "10" before "2", "Z" before "a"); last by path in byte order. Total for entries
// with distinct paths.
bool PageEntryBefore(const PageEntry& a, const PageEntry& b);

inline bool operator<(const PageEntry& a, const PageEntry& b) {
  return PageEntryBefore(a, b);
}

}  // namespace quire

#endif  // QUIRE_PAGES_PAGE_ENTRY_H_
