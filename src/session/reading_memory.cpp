#include "session/reading_memory.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <unordered_set>
#include <utility>

#include "book/cebook.h"
#include "platform/paths.h"
#include "platform/private_state_file.h"

namespace quire {

std::string ReadingStateFolder() {
  std::string base = XdgBaseFolder("XDG_STATE_HOME", "/.local/state");
  while (base.size() > 1 && base.back() == '/')
    base.pop_back();
  return base.empty() || base == "/" ? std::string() : base + "/quire";
}

ReadingMemory::ReadingMemory(std::string folder, std::string bookId, PageCheck isPage,
                             bool rememberPlace)
    : m_folder(std::move(folder)),
      m_bookId(std::move(bookId)),
      m_isPage(std::move(isPage)),
      m_rememberPlace(rememberPlace) {}

ReadingMemory ReadingMemory::ForLoadedBook(const CEBook& book, const std::string& bookId) {
  // The reader's own pages and the extension libraries begin with "__"; they are not
  // pages to come back to.
  auto pages = std::make_shared<std::unordered_set<std::string>>();
  for (const EBookFile& file : book.Files()) {
    if (file.fileName.rfind("__", 0) != 0)
      pages->insert(file.fileName);
  }
  return ReadingMemory(
      ReadingStateFolder(), bookId,
      [pages](const std::string& name) { return pages->count(name) != 0; },
      book.Features().rememberReading);
}

void ReadingMemory::Load() {
  m_book = {};
  m_hadRecord = false;
  if (m_bookId.empty() || m_folder.empty())
    return;
  std::optional<std::string> text =
      ReadPrivateStateFile(m_folder, kReadingStateFileName, kMaxReadingStateBytes);
  if (!text)
    return;
  ReadingStates states = ParseReadingStates(*text);
  auto found = states.find(m_bookId);
  if (found == states.end())
    return;
  m_hadRecord = true;
  BookReading& kept = found->second;
  if (m_rememberPlace) {
    if (kept.lastPage && IsPage(kept.lastPage->name))
      m_book.lastPage = kept.lastPage;
    m_book.textSize = kept.textSize;
  }
  m_book.contentsPane = kept.contentsPane;
  for (Bookmark& mark : kept.bookmarks) {
    if (IsPage(mark.place.name))
      m_book.bookmarks.push_back(std::move(mark));
  }
}

std::optional<BookPlace> ReadingMemory::LastPage() const {
  return m_book.lastPage;
}

std::optional<int> ReadingMemory::TextSize() const {
  return m_book.textSize;
}

std::optional<bool> ReadingMemory::ContentsPane() const {
  return m_book.contentsPane;
}

bool ReadingMemory::HoldsPlace() const {
  return m_book.lastPage || m_book.textSize || m_book.contentsPane;
}

bool ReadingMemory::IsBookmarked(const BookPlace& place) const {
  return std::any_of(m_book.bookmarks.begin(), m_book.bookmarks.end(),
                     [&place](const Bookmark& mark) { return mark.place == place; });
}

void ReadingMemory::NotePageShown(const BookPlace& place) {
  if (m_rememberPlace && IsValidPlace(place) && IsPage(place.name))
    m_book.lastPage = place;
}

void ReadingMemory::NoteTextSize(int level) {
  if (m_rememberPlace && level >= 0 && level <= 4)
    m_book.textSize = level;
}

void ReadingMemory::NoteContentsPane(bool shown) {
  m_book.contentsPane = shown;
}

bool ReadingMemory::AddBookmark(const BookPlace& place, const std::string& title) {
  if (!IsValidPlace(place) || !IsPage(place.name) || IsBookmarked(place) ||
      m_book.bookmarks.size() >= kMaxBookmarks)
    return false;
  m_book.bookmarks.push_back({place, BookmarkTitle(title)});
  return Save();
}

bool ReadingMemory::RemoveBookmark(size_t index) {
  if (index >= m_book.bookmarks.size())
    return false;
  m_book.bookmarks.erase(m_book.bookmarks.begin() + static_cast<std::ptrdiff_t>(index));
  return Save();
}

bool ReadingMemory::Forget() {
  m_rememberPlace = false;
  m_book.lastPage.reset();
  m_book.textSize.reset();
  m_book.contentsPane.reset();
  return Save();
}

bool ReadingMemory::Save() {
  if (m_bookId.empty() || m_bookId.size() > kMaxBookIdBytes || m_folder.empty())
    return false;
  if (m_book.Empty() && !m_hadRecord)
    return true;
  m_book.used = static_cast<int64_t>(std::time(nullptr));
  const bool saved = UpdatePrivateStateFile(
      m_folder, kReadingStateFileName, kMaxReadingStateBytes,
      [this](const std::optional<std::string>& current) {
        ReadingStates states = current ? ParseReadingStates(*current) : ReadingStates{};
        states[m_bookId] = m_book;
        return WriteReadingStates(states);
      });
  m_hadRecord = m_hadRecord || saved;
  return saved;
}

std::string BookPageTitle(const CEBook& book, const std::string& name) {
  for (const EBookFile& file : book.Files()) {
    if (file.fileName == name)
      return file.title.empty() ? name : file.title;
  }
  return name;
}

}  // namespace quire
