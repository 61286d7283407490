// Writes the stored search texts of a book (search_text_store.h) into a file, one page at a
// time: the number of pages is known before the first (the table comes first), so memory
// holds the table only.
#ifndef QUIRE_TOOLS_PACK_SEARCH_TEXT_WRITER_H_
#define QUIRE_TOOLS_PACK_SEARCH_TEXT_WRITER_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace quire::pack {

class SearchTextWriter {
 public:
  SearchTextWriter() = default;
  ~SearchTextWriter();
  SearchTextWriter(const SearchTextWriter&) = delete;
  SearchTextWriter& operator=(const SearchTextWriter&) = delete;

  // Creates `path` (mode 0600, never through a link) for `pageCount` pages; false with
  // `error` when it cannot.
  bool Open(const std::string& path, size_t pageCount, std::string* error);
  // Appends the text of directory entry `index`, stored as `name` (a text longer than
  // kMaxStoredPageText is cut there). Indexes must increase; at most `pageCount` pages.
  bool Add(uint32_t index, std::string_view name, std::string_view text, std::string* error);
  // Writes the table and closes the file; false with `error` when a write failed or fewer
  // pages than announced were added.
  bool Finish(std::string* error);

 private:
  bool Write(const void* data, size_t size, std::string* error);

  std::FILE* m_file = nullptr;
  std::string m_path;
  std::vector<uint8_t> m_table;
  size_t m_pageCount = 0;
  size_t m_added = 0;
};

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_SEARCH_TEXT_WRITER_H_
