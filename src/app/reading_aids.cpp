#include "app/reading_aids.h"

#include <utility>

#include "pages/file_url.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "session/book_place.h"
#include "session/display_text.h"
#include "session/frame_commands.h"

namespace quire {

namespace {

// How long the offer to continue stays, in seconds (the pointer on it holds it).
constexpr int kOfferSeconds = 12;
constexpr int kPaneWidth = 280;

}  // namespace

ReadingAids::ReadingAids(ReaderContext& context, CQuireView* view, CQuireView::BusyScope busyScope,
                         std::function<void()> commandsChanged,
                         std::function<void(const std::string&)> setStatus)
    : m_context(context),
      m_view(view),
      m_busyScope(std::move(busyScope)),
      m_commandsChanged(std::move(commandsChanged)),
      m_setStatus(std::move(setStatus)),
      m_memory(ReadingMemory::ForLoadedBook(context.book, context.book.Trailer().bookId)),
      m_bookmarks(
          [this](size_t index) {
            if (index < m_memory.Bookmarks().size())
              Open(m_memory.Bookmarks()[index].place);
          },
          [this](size_t index) {
            if (m_memory.RemoveBookmark(index))
              m_setStatus("Bookmark removed");
            m_bookmarks.Show(m_memory.Bookmarks());
            m_commandsChanged();
          }) {
  m_memory.Load();
  m_offer = m_memory.LastPage();
  m_pane = std::make_unique<ContentsPane>(
      context,
      [this](const std::string& name) {
        Open(BookPlace{name, ""});
      },
      [this] { FocusPage(); });
  m_continueBar = std::make_unique<ContinueBar>([this] {
    if (m_offer)
      Open(*m_offer);
    FocusPage();
  });
  m_view->SetStartupDone([this] { OfferToContinue(); });
}

ReadingAids::~ReadingAids() {
  if (m_window != nullptr) {
    g_signal_handlers_disconnect_by_data(m_window, this);
    g_object_remove_weak_pointer(G_OBJECT(m_window), reinterpret_cast<gpointer*>(&m_window));
  }
  m_view->SetStartupDone(nullptr);
}

// --- Building the window --------------------------------------------------------------------

GtkWidget* ReadingAids::WrapView(GtkWidget* viewContainer) {
  GtkWidget* paned = gtk_paned_new(GTK_ORIENTATION_HORIZONTAL);
  gtk_paned_pack1(GTK_PANED(paned), m_pane->Widget(), FALSE, FALSE);
  GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(column), m_continueBar->Widget(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(column), viewContainer, TRUE, TRUE, 0);
  gtk_paned_pack2(GTK_PANED(paned), column, TRUE, FALSE);
  gtk_paned_set_position(GTK_PANED(paned), kPaneWidth);
  return paned;
}

void ReadingAids::AddToToolbar(GtkToolbar* toolbar) {
  const CEBook& book = m_context.book;
  const bool horizontal =
      gtk_orientable_get_orientation(GTK_ORIENTABLE(toolbar)) == GTK_ORIENTATION_HORIZONTAL;
  const FrameCommand* search = FindFrameCommand(kCmdSearch);
  if (!horizontal || !book.AnySearchable() || search == nullptr ||
      !book.ToolbarButton(search->toolbarFlag))
    return;
  m_searchBox =
      std::make_unique<SearchBox>([this](const std::string& words) { Search(words); },
                                  [this] { m_view->ShowSearch(); }, [this] { FocusPage(); });
  m_searchBox->AddTo(toolbar);
}

void ReadingAids::BuildBookmarksMenu(GtkMenuShell* menu, GtkWidget* addItem,
                                     GtkWidget* forgetItem) {
  m_bookmarks.Build(menu, addItem, forgetItem);
  m_bookmarks.Show(m_memory.Bookmarks());
}

void ReadingAids::MenuBarGone() {
  m_bookmarks.Forget();
}

void ReadingAids::ConnectKeys(GtkWindow* window) {
  m_window = window;
  g_object_add_weak_pointer(G_OBJECT(m_window), reinterpret_cast<gpointer*>(&m_window));
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnWindowKeyPress), this);
}

gboolean ReadingAids::OnWindowKeyPress(GtkWidget* window, GdkEventKey* event,
                                       gpointer selfPointer) {
  auto* self = static_cast<ReadingAids*>(selfPointer);
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
  const bool ours = focus != nullptr && gtk_widget_get_realized(focus) &&
                    (focus == self->m_pane->FilterEntry() ||
                     (self->m_searchBox != nullptr && focus == self->m_searchBox->Entry()));
  // The entry first: what it does not take goes on to the window's shortcuts.
  return ours && gtk_widget_event(focus, reinterpret_cast<GdkEvent*>(event));
}

// --- Running --------------------------------------------------------------------------------

void ReadingAids::Start() {
  if (std::optional<int> size = m_memory.TextSize())
    m_view->SetFontSize(*size);
  const CEBook& book = m_context.book;
  const bool pane = m_memory.ContentsPane().value_or(book.Features().contentsPane);
  if (pane && book.ContentsAvailable())
    m_pane->SetVisible(true);
  NoteState();
}

void ReadingAids::NoteState() {
  if (m_view == nullptr || !m_view->Exists() || m_view->CommittedUrl() == m_committed)
    return;
  m_committed = m_view->CommittedUrl();
  std::optional<BookPlace> place = PlaceOfUrl(m_committed, m_context.store.ClaimedFolder());
  if (place && m_memory.IsPage(place->name)) {
    m_memory.NotePageShown(*place);
    m_pane->SelectPage(place->name);
  } else {
    m_pane->SelectPage("");
  }
}

void ReadingAids::FillContext(CommandContext* context) const {
  context->contentsPaneVisible = m_pane->Visible();
  const std::optional<BookPlace> place = ShownPlace();
  context->pageInBook = place.has_value();
  context->pageBookmarked = place && m_memory.IsBookmarked(*place);
  context->readingRemembered = m_memory.HoldsPlace();
}

void ReadingAids::Remember() {
  if (std::optional<BookPlace> place = ShownPlace())
    m_memory.NotePageShown(*place);
  const int level = FontLevelOfCommand(m_view->FontCommand());
  if (level >= 0)
    m_memory.NoteTextSize(level);
  m_memory.Save();
}

std::optional<BookPlace> ReadingAids::ShownPlace() const {
  if (m_view == nullptr || !m_view->Exists())
    return std::nullopt;
  std::optional<BookPlace> place =
      PlaceOfUrl(m_view->CommittedUrl(), m_context.store.ClaimedFolder());
  if (!place || !m_memory.IsPage(place->name))
    return std::nullopt;
  // A link within the page moves the address, not the committed page.
  if (!m_view->IsLoading()) {
    std::optional<BookPlace> now =
        PlaceOfUrl(m_view->CurrentUrl(), m_context.store.ClaimedFolder());
    if (now && now->name == place->name)
      return now;
  }
  return place;
}

void ReadingAids::OfferToContinue() {
  if (!m_offer)
    return;
  const std::optional<BookPlace> start =
      PlaceOfUrl(FileUrlFromPath(m_context.book.StartPage()), m_context.store.ClaimedFolder());
  const std::optional<BookPlace> shown = ShownPlace();
  if ((start && *start == *m_offer) || (shown && *shown == *m_offer))
    return;
  m_continueBar->Offer(BookmarkTitle(ToDisplayText(BookPageTitle(m_context.book, m_offer->name))),
                       kOfferSeconds);
}

std::string ReadingAids::PlaceUrl(const BookPlace& place) const {
  return UrlOfPlace(place, m_context.store.ClaimedFolder());
}

void ReadingAids::Open(const BookPlace& place) {
  // Places come from the book's own directory, or were checked against it.
  if (!m_memory.IsPage(place.name) || !IsValidPlace(place))
    return;
  m_view->NavigateAsCommand(PlaceUrl(place));
}

void ReadingAids::Search(const std::string& typed) {
  const std::string words =
      BookDefaultCharset(m_context.book) == "UTF-8" ? typed : Utf8ToWindows1252(typed);
  std::string path;
  m_busyScope([&] { path = BuildSearchPage(m_context, words, false); });
  if (path.empty() || !m_view->Exists())
    return;
  m_view->NavigateAsCommand(path);
  FocusPage();
}

void ReadingAids::FocusPage() {
  if (m_view != nullptr && m_view->Exists())
    gtk_widget_grab_focus(m_view->Widget());
}

// --- The reading commands -------------------------------------------------------------------

void ReadingAids::ToggleContentsPane() {
  const bool show = !m_pane->Visible();
  m_pane->SetVisible(show);
  m_memory.NoteContentsPane(show);
  // Asked for, the pane takes the typing; put away, it gives the focus back to the page.
  if (show)
    m_pane->FocusFilter();
  else
    FocusPage();
}

void ReadingAids::FocusSearchBox() {
  if (m_searchBox != nullptr && m_searchBox->Showing())
    m_searchBox->Focus();
  else
    m_view->ShowSearch();
}

void ReadingAids::AddBookmark() {
  const std::optional<BookPlace> place = ShownPlace();
  if (!place)
    return;
  const char* shownTitle =
      m_view->Exists() ? webkit_web_view_get_title(m_view->WebView()) : nullptr;
  std::string title = shownTitle != nullptr ? shownTitle : "";
  if (title.find_first_not_of(" \t\r\n") == std::string::npos)
    title = ToDisplayText(BookPageTitle(m_context.book, place->name));
  const bool kept = m_memory.AddBookmark(*place, title);
  m_bookmarks.Show(m_memory.Bookmarks());
  if (m_memory.IsBookmarked(*place))
    m_setStatus(kept ? "Bookmarked: " + BookmarkTitle(title)
                     : "Bookmarked for now; it could not be kept for the next time");
}

void ReadingAids::ForgetReadingPlace() {
  m_offer.reset();
  m_continueBar->Withdraw();
  m_setStatus(m_memory.Forget() ? "Forgot where you left off in this E-Book"
                                : "Where you left off could not be forgotten");
}

}  // namespace quire
