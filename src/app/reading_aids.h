// What helps with long books, as one part of the main frame: the contents pane beside the
// page, the search box on the toolbar, the bar that offers to continue where the reader
// left off, and bookmarks, all fed by the reading memory (session/reading_memory.h). The
// frame runs its commands (session/reading_commands.h) through it and calls the hooks
// below; nothing here changes what the frame's own commands do.
#ifndef QUIRE_APP_READING_AIDS_H_
#define QUIRE_APP_READING_AIDS_H_

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/bookmarks_menu.h"
#include "app/contents_pane.h"
#include "app/continue_bar.h"
#include "app/search_box.h"
#include "session/command_state.h"
#include "session/reading_commands.h"
#include "session/reading_memory.h"
#include "view/quire_view.h"

namespace quire {

struct ReaderContext;

class ReadingAids final : public ReadingCommandTarget {
 public:
  // `view` is the frame's (it outlives this); `commandsChanged` brings the frame's menus and
  // buttons in line; `setStatus` shows a message in the status bar.
  ReadingAids(ReaderContext& context, CQuireView* view, CQuireView::BusyScope busyScope,
              std::function<void()> commandsChanged,
              std::function<void(const std::string&)> setStatus);
  ~ReadingAids() override;
  ReadingAids(const ReadingAids&) = delete;
  ReadingAids& operator=(const ReadingAids&) = delete;

  // --- Building the window ----------------------------------------------------------------
  // The view's container with the contents pane beside it and the continue bar above it:
  // what the frame packs in its place.
  GtkWidget* WrapView(GtkWidget* viewContainer);
  // Adds the search box at the end of a horizontal toolbar that shows the Search button,
  // for a searchable book; other books and toolbars get none (Ctrl+K asks with the dialog).
  void AddToToolbar(GtkToolbar* toolbar);
  // Fills the Bookmarks menu around the items of its two commands.
  void BuildBookmarksMenu(GtkMenuShell* menu, GtkWidget* addItem, GtkWidget* forgetItem);
  // The menu bar is gone; the keys stay.
  void MenuBarGone();
  // The entries of the pane and the toolbar get their own editing keys (Ctrl+A, Ctrl+C,
  // Esc, ...) before the window's shortcuts take them.
  void ConnectKeys(GtkWindow* window);

  // --- Running ----------------------------------------------------------------------------
  // After the view's first update: the text size kept for the book, and the pane as the
  // user left it (else as the book asks).
  void Start();
  // The view's state may have changed: follows the page shown.
  void NoteState();
  void FillContext(CommandContext* context) const;
  // The book closes: keeps the page shown and the text size.
  void Remember();

  // --- The reading commands -----------------------------------------------------------------
  void ToggleContentsPane() override;
  void FocusSearchBox() override;
  void AddBookmark() override;
  void ForgetReadingPlace() override;

 private:
  static gboolean OnWindowKeyPress(GtkWidget* window, GdkEventKey* event, gpointer self);

  // Once the start-up message and script have run.
  void OfferToContinue();
  // The place the view shows now, with the fragment it moved to since; none outside the
  // book's pages.
  std::optional<BookPlace> ShownPlace() const;
  std::string PlaceUrl(const BookPlace& place) const;
  void Open(const BookPlace& place);
  void Search(const std::string& typed);
  void FocusPage();

  ReaderContext& m_context;
  CQuireView* m_view;
  CQuireView::BusyScope m_busyScope;
  std::function<void()> m_commandsChanged;
  std::function<void(const std::string&)> m_setStatus;
  ReadingMemory m_memory;
  // What the last run left off at, offered once.
  std::optional<BookPlace> m_offer;
  std::unique_ptr<ContentsPane> m_pane;
  std::unique_ptr<ContinueBar> m_continueBar;
  std::unique_ptr<SearchBox> m_searchBox;  // null where the toolbar has none
  BookmarksMenu m_bookmarks;
  std::string m_committed;  // the view's committed address last seen
  GtkWindow* m_window = nullptr;
};

}  // namespace quire

#endif  // QUIRE_APP_READING_AIDS_H_
