// What the reader remembers of the book it shows: read when the window opens, changed as
// the user reads, written back when the book closes (and at once when a bookmark is made
// or removed, or the user asks to forget).
//
// It lives in "reading-state" in ${XDG_STATE_HOME:-~/.local/state}/quire/, one file for
// all books (reading_state.h gives its form, private_state_file.h how it is read and
// written), under the book's id; a book without an id keeps nothing. Places read back are
// used only when they name a page of this book; the rest is dropped.
//
// A book can switch remembering off (its feature record): then the last page and the
// text size are neither used nor kept, and what an earlier run kept of them goes with the
// next write. Bookmarks and the contents pane's state are the user's own choices and are
// kept either way.
#ifndef QUIRE_SESSION_READING_MEMORY_H_
#define QUIRE_SESSION_READING_MEMORY_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "session/reading_state.h"

namespace quire {

class CEBook;

inline constexpr char kReadingStateFileName[] = "reading-state";

// "${XDG_STATE_HOME:-$HOME/.local/state}/quire" (no trailing '/'); empty without a home.
std::string ReadingStateFolder();

class ReadingMemory {
 public:
  // Whether a stored name is a page of the book that the reader may show.
  using PageCheck = std::function<bool(const std::string& name)>;

  // `folder` as ReadingStateFolder() gives it; `bookId` the book's identity text;
  // `rememberPlace` false when the book switches remembering off.
  ReadingMemory(std::string folder, std::string bookId, PageCheck isPage, bool rememberPlace);

  // The memory of the book loaded now (CEBook): its folder, id, pages and feature record.
  static ReadingMemory ForLoadedBook(const CEBook& book, const std::string& bookId);

  // Reads what was kept for the book. Without a file, or with one that holds nothing for
  // the book or nothing sound, there is nothing.
  void Load();

  // --- What was kept --------------------------------------------------------------------
  // The last page shown, when it is a page of the book.
  std::optional<BookPlace> LastPage() const;
  std::optional<int> TextSize() const;
  std::optional<bool> ContentsPane() const;
  const std::vector<Bookmark>& Bookmarks() const { return m_book.bookmarks; }
  // The last page, the text size or the pane's state is kept (what Forget forgets).
  bool HoldsPlace() const;
  bool IsBookmarked(const BookPlace& place) const;
  // The stored name is a page of the book the reader may come back to.
  bool IsPage(const std::string& name) const { return m_isPage && m_isPage(name); }

  // --- Changes, written with Save() -----------------------------------------------------
  // A page of the book was shown (places that are no page of the book are ignored).
  void NotePageShown(const BookPlace& place);
  void NoteTextSize(int level);
  void NoteContentsPane(bool shown);

  // --- Changes written at once; false when nothing changed or the write failed -----------
  // Adds a bookmark at the end (its title cut to what a bookmark keeps); not for a place
  // that is no page of the book, is marked already, or beyond kMaxBookmarks.
  bool AddBookmark(const BookPlace& place, const std::string& title);
  bool RemoveBookmark(size_t index);
  // Forgets the last page, the text size and the pane's state, and keeps no place or size
  // for the rest of this run.
  bool Forget();

  // Writes the book's record into the file, beside those of other books. Nothing is
  // written for a book without an id, or when there is nothing to keep and nothing was
  // kept before.
  bool Save();

 private:
  std::string m_folder;
  std::string m_bookId;
  PageCheck m_isPage;
  bool m_rememberPlace;
  bool m_hadRecord = false;
  BookReading m_book;
};

// The title the book gives the page `name` (its directory entry's), else the name itself.
std::string BookPageTitle(const CEBook& book, const std::string& name);

}  // namespace quire

#endif  // QUIRE_SESSION_READING_MEMORY_H_
