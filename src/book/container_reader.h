// Reading a book out of its file (the program's own, or one a tool reads). The stored form is
// described in container_format.h. Nothing here shows messages; callers decide.
#ifndef QUIRE_BOOK_CONTAINER_READER_H_
#define QUIRE_BOOK_CONTAINER_READER_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "book/book_input.h"
#include "book/ebook_records.h"
#include "book/ebook_settings.h"
#include "book/entry_extractor.h"
#include "book/load_result.h"
#include "book/stored_name.h"
#include "book/target_folder.h"

namespace quire {

// One read handle on the book file, opened on first use and closed on destruction.
class ContainerReader {
 public:
  // Reads the book stored in `bookFile`. Extracted files are written through `env`, which
  // must outlive the reader.
  explicit ContainerReader(std::string bookFile, Env* env = Env::Default())
      : m_bookFile(std::move(bookFile)), m_extractor(env) {}
  ContainerReader(const ContainerReader&) = delete;
  ContainerReader& operator=(const ContainerReader&) = delete;

  // Opens the book file for reading unless already open; true when it is open.
  bool Open();

  // Reads the trailer, the settings record, the reserved list, the directory and the
  // variable list into the given records. Fails at the first short read, wrong mark or
  // impossible count or length (which is checked against the bytes that remain before
  // anything is allocated for it), naming the block; the records are then partly filled.
  // Directory and variable entries are appended only when read completely. A book that
  // keeps folders (it carries the feature record, book_features.h) fails with kDirectory
  // when a name of its directory is longer or deeper than the limits of stored_name.h: no
  // sound book holds one. Afterwards KeepsFolders() says which names ExtractFile takes.
  ContainerResult Parse(EBookSettings* settings, EBookReservedList* reserved,
                        std::vector<EBookFile>* directory, EBookTrailer* trailer,
                        EBookVariableList* variables);

  // True when the book parsed last keeps folders, so that its names may be paths
  // (CheckEntryNames). False before a Parse.
  bool KeepsFolders() const { return m_keepsFolders; }

  // Writes entry `index` of `directory` into `folder` (which ends with '/') under its
  // file name, with mode 0600, or 0700 when the file is a program (IsProgramStart): the
  // file is created once and its bytes are decoded straight from the book file into it
  // (see TargetFolder::CreateFile for a name that is taken already, and for how the
  // folders of a path are made: each one made is told to `onFolderMade`, as its full path
  // without a trailing '/'). The folder is opened once and kept open for the next
  // entries into it. With `change`, the whole file is handed to it before it is written
  // (never a file whose bytes are damaged or short). False when the index is out of
  // range, the name is not one this book's files are extracted under (a plain name, or
  // when KeepsFolders() a valid path; a name that leads through another entry's file is
  // the caller's to leave out, see CheckEntryNames), the stored bytes lie outside the
  // file (no file is made for a packed entry then) or come up short, the file cannot be
  // created or written whole, or the LZ stream is damaged; a partial file may then stay.
  bool ExtractFile(const std::vector<EBookFile>& directory, size_t index,
                   const EBookTrailer& trailer, const std::string& folder,
                   const EntryExtractor::Change& change = {},
                   const TargetFolder::FolderMade& onFolderMade = nullptr);

  // Writes the file stored for `entry` into `fd`, an empty file open for writing, which
  // stays open; the name is not looked at. False as ExtractFile is for the stored bytes.
  bool WriteEntry(const EBookFile& entry, const EBookTrailer& trailer, int fd,
                  const EntryExtractor::Change& change = {});

 private:
  bool ReadTrailerRecord(EBookTrailer* trailer);
  // Opens the book; true when the stored bytes of `entry` can be extracted at all.
  bool StoredBytesFit(const EBookFile& entry, const EBookTrailer& trailer);

  std::string m_bookFile;
  BookInput m_input;
  bool m_keepsFolders = false;
  TargetFolder m_folder;
  EntryExtractor m_extractor;
};

// Reads the trailer of the book stored in `bookFile` into `trailer` (the handle is closed
// again). Fails with kCannotOpen when the file cannot be opened, kTrailer when it is
// shorter than the trailer or a mark is wrong; `trailer` is then left as it was.
ContainerResult ReadTrailer(const std::string& bookFile, EBookTrailer* trailer);

// Unpacks the splash picture stored in `bookFile` at `position`, `size` bytes long, into a new
// uniquely named file "bmp??????" in the private temporary folder and returns its path in
// `picturePath`. Position and size both 0: no picture, empty path, true. Only one of them
// 0, a negative one, a range outside the file, or a damaged stream: false, empty path and
// no file left behind. The caller deletes the picture when done with it.
bool ExtractSplashPicture(const std::string& bookFile, int32_t position, int32_t size,
                          std::string* picturePath);

// Decodes the LZ stream in file `packedPath` into `outputPath` (created or truncated,
// mode 0600). Input is read in 32768-byte blocks, output collected in 65536-byte blocks,
// so memory stays bounded whatever the size. True only if the stream reached its end
// token and all output was written.
bool UnpackFile(const std::string& packedPath, const std::string& outputPath);
// The same between two open files, neither of which needs a name: the whole of
// `packedFd` (read from its start) is decoded into `outputFd`, which is emptied first.
// Both stay open; the caller closes them.
bool UnpackDescriptors(int packedFd, int outputFd);

}  // namespace quire

#endif  // QUIRE_BOOK_CONTAINER_READER_H_
