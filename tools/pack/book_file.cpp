#include "book_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "book/book_features.h"
#include "book/container_format.h"
#include "book/container_reader.h"

namespace quire::pack {

bool HasBookTrailer(const std::string& path) {
  EBookTrailer trailer;
  return static_cast<bool>(ReadTrailer(path, &trailer));
}

bool OpenBookFile(const std::string& path, BookFile* book, std::string* error) {
  *book = BookFile{};
  book->path = path;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = path + ": no such file";
    return false;
  }
  if (!S_ISREG(st.st_mode) || access(path.c_str(), R_OK) != 0) {
    *error = path + ": not a readable file";
    return false;
  }
  book->size = static_cast<uint64_t>(st.st_size);
  if (book->size < kTrailerSize) {
    *error = path + ": not a book: " + std::to_string(book->size) +
             " bytes is shorter than a book's trailer";
    return false;
  }
  if (!HasBookTrailer(path)) {
    *error = path +
             ": not a book: no book trailer at the end of the file (or the file was "
             "cut short)";
    return false;
  }
  ContainerReader reader(path);
  if (!reader.Parse(&book->settings, &book->reserved, &book->files, &book->trailer,
                    &book->variables)) {
    *error = path +
             ": damaged book: a record is cut short, has a wrong mark or an impossible "
             "count or length";
    return false;
  }
  return true;
}

uint64_t ReaderImageSize(const BookFile& book) {
  // The blocks may lie in any order; the trailer comes last in any case.
  int64_t first = static_cast<int64_t>(book.size - kTrailerSize);
  auto consider = [&first](int64_t position) {
    if (position >= 0)
      first = std::min(first, position);
  };
  const EBookTrailer& t = book.trailer;
  consider(t.settingsPos);
  consider(t.reservedListPos);
  consider(t.directoryPos);
  consider(t.variablesPos);
  if (t.splashSize != 0 || t.splashPos != 0)
    consider(t.splashPos);
  for (const EBookFile& f : book.files) {
    if (f.storedSize > 0)
      consider(static_cast<int64_t>(t.dataBase) + f.dataOffset);
  }
  return static_cast<uint64_t>(first);
}

std::vector<EntryName> BookEntryNames(const BookFile& book) {
  std::vector<std::string_view> names;
  names.reserve(book.files.size());
  for (const EBookFile& entry : book.files)
    names.push_back(entry.fileName);
  return CheckEntryNames(names, ReadBookFeatures(book.reserved).recorded);
}

bool WriteBookEntry(const BookFile& book, size_t index, int fd, std::string* error) {
  if (index >= book.files.size()) {
    *error = "no such file";
    return false;
  }
  const EBookFile& entry = book.files[index];
  int64_t start = static_cast<int64_t>(book.trailer.dataBase) + entry.dataOffset;
  if (entry.dataOffset < 0 || entry.storedSize < 0 || start < 0 ||
      start + entry.storedSize > static_cast<int64_t>(book.size)) {
    *error = "its stored data lies outside the file (damaged or cut short)";
    return false;
  }
  ContainerReader reader(book.path);
  if (!reader.WriteEntry(entry, book.trailer, fd)) {
    *error = entry.packed ? "its packed data is damaged or cannot be written"
                          : "its data cannot be read or written";
    return false;
  }
  return true;
}

bool WriteBookEntryTo(const BookFile& book, size_t index, const std::string& path,
                      std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "cannot write " + path;
    return false;
  }
  bool ok = WriteBookEntry(book, index, fd, error);
  if (close(fd) != 0 && ok) {
    *error = "cannot write " + path;
    ok = false;
  }
  if (!ok)
    unlink(path.c_str());
  return ok;
}

bool ReadSplashBitmap(const BookFile& book, std::string* bitmap, std::string* error) {
  bitmap->clear();
  std::string picture;
  if (!ExtractSplashPicture(book.path, book.trailer.splashPos, book.trailer.splashSize, &picture)) {
    *error = "the stored splash picture is damaged or lies outside the file";
    return false;
  }
  if (picture.empty())
    return true;
  std::ifstream in(picture, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  bool ok = static_cast<bool>(in) || in.eof();
  in.close();
  std::remove(picture.c_str());
  if (!ok) {
    *error = "cannot read the unpacked splash picture";
    return false;
  }
  *bitmap = bytes.str();
  return true;
}

}  // namespace quire::pack
