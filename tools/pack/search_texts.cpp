#include "search_texts.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "book/book_text_encoding.h"
#include "book/lz.h"
#include "pages/search_text_store.h"
#include "pages/visible_text.h"
#include "search_text_writer.h"

namespace quire::pack {

namespace {

// The bytes of one file of the book as the reader will extract them.
bool FileBytes(const BookFileInput& file, std::string* bytes, std::string* error) {
  if (!file.sourcePath.empty()) {
    std::ifstream in(file.sourcePath, std::ios::binary);
    if (in)
      bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in || in.bad()) {
      *error = "cannot read " + file.sourcePath;
      return false;
    }
    return true;
  }
  if (file.data.empty() && !file.packedData.empty()) {
    if (!LzUnpack(file.packedData, bytes)) {
      *error = file.entry.fileName + ": damaged packed data";
      return false;
    }
    return true;
  }
  *bytes = file.data;
  return true;
}

bool HasStoredText(const EBookFile& entry) {
  return entry.searchable && !entry.expandVariables;
}

}  // namespace

bool AddSearchTexts(BookSpec* bookSpec, const std::string& scratchFolder, std::string* error) {
  std::vector<EBookFile> entries;
  for (const BookFileInput& file : bookSpec->files) {
    if (file.entry.fileName == kSearchTextEntry) {
      *error = "a file of the book is named '" + std::string(kSearchTextEntry) +
               "', which is the name of the book's own search texts";
      return false;
    }
    entries.push_back(file.entry);
  }
  const TextEncoding encoding = BookTextEncoding(bookSpec->settings, entries);
  const size_t count =
      static_cast<size_t>(std::count_if(entries.begin(), entries.end(), HasStoredText));
  const std::string path = scratchFolder + "search.text";
  SearchTextWriter writer;
  if (!writer.Open(path, count, error))
    return false;
  std::string bytes;
  for (size_t i = 0; i < bookSpec->files.size(); ++i) {
    const BookFileInput& file = bookSpec->files[i];
    if (!HasStoredText(file.entry))
      continue;
    if (!FileBytes(file, &bytes, error))
      return false;
    const std::string text = SearchTextOfFile(file.entry.fileName, bytes, encoding);
    if (!writer.Add(static_cast<uint32_t>(i), file.entry.fileName, text, error))
      return false;
  }
  if (!writer.Finish(error))
    return false;
  BookFileInput input;
  input.entry.fileName = kSearchTextEntry;
  // Stored as it is: a search reads all of it, and unpacking would cost more than reading.
  input.entry.packed = false;
  input.sourcePath = path;
  bookSpec->files.push_back(std::move(input));
  bookSpec->features.recorded = true;
  bookSpec->features.visibleTextSearch = true;
  return true;
}

}  // namespace quire::pack
