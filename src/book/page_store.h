// The book's private folder and the record of everything the reader writes into it.
//
// Every page, picture, script and library of the book, and every page the reader
// generates, is written into BookFolder(). The page store remembers each file and each
// folder the reader wrote or made there, and Cleanup() removes exactly those at shutdown,
// so files the reader did not write are never touched.
#ifndef QUIRE_BOOK_PAGE_STORE_H_
#define QUIRE_BOOK_PAGE_STORE_H_

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"

namespace quire {

class CEBook;
class WindowSlot;

// The record of written files and made folders of one reader.
class PageStore {
 public:
  // `book` (not owned, outlives the store) names the folder by its ESBN; `window` (not
  // owned, outlives the store) shows what goes wrong.
  PageStore(const CEBook& book, WindowSlot& window) : m_book(book), m_window(window) {}
  PageStore(const PageStore&) = delete;
  PageStore& operator=(const PageStore&) = delete;
  // Lets go of the claim; the recorded files stay (Cleanup removes them).
  ~PageStore() { ReleaseClaim(); }

  // The book's folder: PrivateTempFolder() + ESBN + ".k9w/", always ending with '/'. A '/'
  // or '\' inside the ESBN becomes '_', so the folder always lies directly inside the
  // private temporary folder. Until the folder has been made (and again if it has
  // disappeared since) it is made (MakeFolderPath) and claimed for this process
  // (Claim), which empties a folder left by a reader that did not end cleanly.
  // While another running reader (a different book with the same ESBN) holds that folder,
  // this one uses ESBN + "-2.k9w/" (or "-3", ... the first free one), so the two never touch
  // each other's files. When no folder can be made, "Not enough disk
  // space or other file error!" is shown (OK, exclamation icon) and a path under "/dev/null/"
  // is returned, where every write fails, as it is when no private temporary folder can be
  // had at all: a folder that was refused (a link, someone else's, one others may write to)
  // may exist and take writes, and must neither receive the book's files nor give it
  // libraries to load.
  std::string BookFolder();

  // Makes every missing folder of `path` (which ends with '/'), mode 0700, and records each
  // one it made in the page store, in the order made. Folders already there must be
  // folders, and the last one (the folder asked for) must be a real folder owned by the
  // user that nobody else may write to. Returns false when a folder cannot be made or an
  // existing one breaks these rules. Never changes the current directory.
  bool MakeFolderPath(const std::string& path);

  // Writes a generated page: creates or truncates `path` with mode 0600, records it in the
  // page store as soon as it exists, and writes all of `text`, through `env`. On failure
  // shows "Disk error - out of space ?" (OK, exclamation icon) and returns false.
  bool WritePageFile(const std::string& path, std::string_view text, Env* env = Env::Default());

  // Makes what `body` writes the whole contents of `path`, a file in the book folder, through
  // ReplaceFileWith: the file holds the old or the new contents, never a mix. The temporary
  // file beside it (close-on-exec) is recorded in the page store while it exists, so it
  // goes at shutdown even if the reader ends before renaming it. Not flushed to disk: the
  // folder only lives for one run. Shows nothing; false when the file could not be
  // replaced. The files are made, renamed and removed through `env`; ReplaceBookFile also
  // writes `text` through it.
  bool ReplaceBookFileWith(const std::string& path, const std::function<bool(int fd)>& body,
                           Env* env = Env::Default());
  bool ReplaceBookFile(const std::string& path, std::string_view text, Env* env = Env::Default());

  // Remembers a file written into the book folder; a path recorded twice is kept once.
  void RecordFile(const std::string& path);
  // Forgets a file that is gone again (a temporary that was renamed or removed).
  void ForgetFile(const std::string& path);
  // Remembers a folder the reader made (the book folder, or one of the book's own folders
  // made while its files were extracted); duplicates are kept, in order.
  void RecordFolder(const std::string& path);

  // Shutdown: deletes every recorded file and removes the made folders, the deepest first
  // (a folder that still holds anything stays, and one the reader did not make is never
  // removed), then lets go of the claim on the book folder. Inside the claimed book folder
  // nothing is reached through a link: files and folders are removed relative to its open
  // descriptor, part by part, and a folder the reader made that was made read-only
  // meanwhile is given back its mode 0700 first. Errors are ignored. The records are kept.
  void Cleanup();

  const std::set<std::string>& WrittenFiles() const { return m_writtenFiles; }
  const std::vector<std::string>& CreatedFolders() const { return m_createdFolders; }

  // Takes `folder` as this process's book folder for the ESBN folder `primary`: locks it
  // (flock on the folder, close-on-exec) so no other reader takes it while this one
  // runs, empties it (EmptyFolder: what a reader that did not end cleanly left there is
  // never this run's), and lets go of an earlier claim. False when another process holds
  // it, when it is no private folder of the user's or cannot be emptied.
  bool Claim(const std::string& primary, const std::string& folder);
  // Lets go of the claim; the folder may then be taken by another reader.
  void ReleaseClaim();
  // The ESBN folder the current claim was made for, and the folder claimed (which is
  // that folder unless another reader held it); both empty without a claim.
  const std::string& ClaimedFor() const { return m_claimedFor; }
  const std::string& ClaimedFolder() const { return m_claimedFolder; }

 private:
  const CEBook& m_book;
  WindowSlot& m_window;
  std::set<std::string> m_writtenFiles;
  std::vector<std::string> m_createdFolders;
  std::string m_claimedFor;
  std::string m_claimedFolder;
  int m_claimFd = -1;
};

}  // namespace quire

#endif  // QUIRE_BOOK_PAGE_STORE_H_
