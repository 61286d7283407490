// Writes complete book files: a reader image followed by the payload and the trailer.
// Used by quire-pack and by every test that needs a real book.
#ifndef QUIRE_BOOK_BOOK_WRITER_H_
#define QUIRE_BOOK_BOOK_WRITER_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "book/book_features.h"
#include "book/ebook_records.h"
#include "book/ebook_settings.h"

namespace quire {

// One file to store. `entry` gives the name, flags and texts; its dataOffset and
// storedSize are computed by the writer. With entry.packed the data is LZ-packed.
// Exactly one of `data` and `sourcePath` is used: a non-empty sourcePath is read from disk
// so that large books need not be held in memory (streamed in chunks when not packed; a
// packed file is held in memory alone while it is packed).
struct BookFileInput {
  EBookFile entry;
  std::string data;
  std::string sourcePath;
  // With entry.packed: when not empty, LzPack() of the file's bytes, made beforehand (a
  // caller may pack many files at once on several processors); stored as it is.
  std::string packedData;
};

struct BookSpec {
  // Bytes of the program image the payload is appended to (may be empty for tests).
  std::string image;
  // Or a path to read the image from, when non-empty (takes precedence over `image`).
  std::string imagePath;
  // settings.fileCount is set by the writer to files.size() unless fileCountOverride >= 0.
  EBookSettings settings = DefaultSettings();
  int fileCountOverride = -1;
  std::vector<BookFileInput> files;
  EBookVariableList variables;
  // A bitmap file (BMP), stored LZ-packed; empty for none.
  std::string splashBitmap;
  std::string bookId;  // at most 63 bytes are kept
  // Stored in the reserved list; a book that leaves `recorded` false writes the empty list.
  BookFeatures features;
};

// Writes the book to `path`: first to a temporary file beside it, renamed into place only
// when everything was written, so a failure never leaves a half book. Returns false with
// a reason in `error` (if non-null) when an input cannot be read or the file cannot be
// written. The file gets the image's executable mode (0755).
bool WriteBook(const BookSpec& bookSpec, const std::string& path, std::string* error);

// Writes a book file piece by piece, so that a book need never be held in memory: the
// image, then each file's stored bytes as they come, then the records that say where
// they lie. The data may be written in any order; the directory is written last, in the
// order Finish() is given. Like WriteBook, it writes a temporary file beside the target
// and renames it into place only when everything was written: a writer that is destroyed
// before Finish() succeeded leaves nothing behind.
class BookFileWriter {
 public:
  BookFileWriter();
  ~BookFileWriter();
  BookFileWriter(const BookFileWriter&) = delete;
  BookFileWriter& operator=(const BookFileWriter&) = delete;

  // Creates the temporary file beside `path` and writes the image: the file `imagePath`
  // when not empty, else `image`. False with `error` when either fails.
  bool Start(const std::string& path, const std::string& imagePath, std::string_view image,
             std::string* error);
  // Stores one file: `stored` is what the book holds for it (the LZ stream when
  // entry->packed, else the file itself), scrambled on the way. Sets entry->dataOffset
  // and entry->storedSize. False with `error` when it cannot be written or the book
  // would grow beyond 2 GB.
  bool AddStored(std::string_view stored, EBookFile* entry, std::string* error);
  // Stores the file at `sourcePath` as it is (entry->packed must be false), streamed in
  // blocks.
  bool AddFromPath(const std::string& sourcePath, EBookFile* entry, std::string* error);
  // Writes the records of `bookSpec` (settings, variables, splash picture, book id,
  // features; its image and files are not looked at) with `entries` as the directory, in
  // that order, makes the file executable and renames it into place. The settings' file
  // count is entries.size() unless bookSpec.fileCountOverride >= 0.
  bool Finish(const BookSpec& bookSpec, const std::vector<EBookFile>& entries, std::string* error);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

// The whole book as bytes (for tests and small books).
std::string BuildBookBytes(const BookSpec& bookSpec);

}  // namespace quire

#endif  // QUIRE_BOOK_BOOK_WRITER_H_
