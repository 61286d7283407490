// The book's private folder and the record of everything the reader writes into it.
//
// Every page, picture, script and library of the book, and every page the reader
// generates, is written into BookFolder(). The page store remembers each file and each
// folder the reader wrote or made there, and Cleanup() removes exactly those at shutdown,
// so files the reader did not write are never touched.
#ifndef QUIRE_BOOK_PAGE_STORE_H_
#define QUIRE_BOOK_PAGE_STORE_H_

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quire {

// The book's folder: PrivateTempFolder() + ESBN + ".k9w/", always ending with '/'. A '/'
// or '\' inside the ESBN becomes '_', so the folder always lies directly inside the
// private temporary folder. Computed anew on every call. Until the folder has been made
// (and again if it has disappeared since) it is made (MakeFolderPath); when that fails, "Not enough
// disk space or other file error!" is shown (OK, exclamation icon) and a path under "/dev/null/"
// is returned, where every write fails: a folder that was refused (a link, someone else's, one
// others may write to) must not receive the book's files, nor give it libraries to load.
std::string BookFolder();

// Makes every missing folder of `path` (which ends with '/'), mode 0700, and records each
// one it made in the page store, in the order made. Folders already there must be
// folders, and the last one (the folder asked for) must be a real folder owned by the
// user that nobody else may write to. Returns false when a folder cannot be made or an
// existing one breaks these rules. Never changes the current directory.
bool MakeFolderPath(const std::string& path);

// Writes a generated page: creates or truncates `path` with mode 0600, records it in the
// page store as soon as it exists, and writes all of `text`. On failure shows "Disk error
// - out of space ?" (OK, exclamation icon) and returns false.
bool WritePageFile(const std::string& path, std::string_view text);

// The process-wide record of written files and made folders.
class PageStore {
 public:
  // The one store, made on first use and kept until the process ends.
  static PageStore& Instance();

  // Remembers a file written into the book folder; a path recorded twice is kept once.
  void RecordFile(const std::string& path);
  // Remembers a folder the reader made; duplicates are kept, in order.
  void RecordFolder(const std::string& path);

  // Shutdown: deletes every recorded file and removes the made folders last made first (a
  // folder that still holds anything stays). Errors are ignored. The records are kept.
  void Cleanup();

  const std::set<std::string>& WrittenFiles() const { return m_writtenFiles; }
  const std::vector<std::string>& CreatedFolders() const { return m_createdFolders; }

  // The folder BookFolder() last made successfully (empty until then).
  const std::string& MadeBookFolder() const { return m_madeBookFolder; }
  void SetMadeBookFolder(const std::string& folder) { m_madeBookFolder = folder; }

  // Tests only: forgets every record, as in a fresh process.
  void ResetForTesting();

 private:
  std::set<std::string> m_writtenFiles;
  std::vector<std::string> m_createdFolders;
  std::string m_madeBookFolder;
};

}  // namespace quire

#endif  // QUIRE_BOOK_PAGE_STORE_H_
