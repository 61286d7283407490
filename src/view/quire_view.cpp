#include "view/quire_view.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "pages/about_page.h"
#include "pages/contents_page.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "platform/launcher.h"
#include "script/script_links.h"
#include "session/display_text.h"
#include "session/frame_commands.h"
#include "session/history_rules.h"
#include "session/link_actions.h"
#include "session/navigation_policy.h"
#include "session/view_address.h"
#include "view/editing_state.h"
#include "view/find_bar.h"
#include "view/gtk_holders.h"
#include "view/page_windows.h"
#include "view/web_context.h"

namespace quire {

namespace {

// Text zoom factors of the five font sizes, smallest first; level 2 is 100%.
constexpr double kZoomFactors[5] = {0.75, 0.875, 1.0, 1.25, 1.5};
// A page whose web process keeps dying is reloaded this many times in a row at most.
constexpr int kCrashReloads = 3;
constexpr char kIdleStatusText[] = "Ready";

// Whether two addresses name the same document: equal up to their first '#'.
bool SameDocument(const std::string& a, const std::string& b) {
  return !a.empty() && a.substr(0, a.find('#')) == b.substr(0, b.find('#'));
}

std::string UriOf(WebKitWebView* webView) {
  const char* uri = webkit_web_view_get_uri(webView);
  return uri != nullptr ? uri : "";
}

std::string Trimmed(const std::string& text) {
  const char* kBlank = " \t\r\n\v\f";
  size_t first = text.find_first_not_of(kBlank);
  if (first == std::string::npos)
    return {};
  size_t last = text.find_last_not_of(kBlank);
  return text.substr(first, last - first + 1);
}

GtkWindow* ToplevelOf(GtkWidget* widget) {
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  return gtk_widget_is_toplevel(top) ? GTK_WINDOW(top) : nullptr;
}

}  // namespace

// The interpreter and the desktop, as the navigation policy reaches them from the view.
// A link that arrives while another one or a script command still runs (a message box
// of the start-up script waits for an answer) is not run, since runs never nest, but is
// still kept from the web view when it holds a marker.
class ViewLinkRunners final : public NavigationHandlers {
 public:
  ViewLinkRunners(ReaderContext& context, const CQuireView* view, bool* running,
                  const CQuireView::BusyScope& busyScope)
      : m_context(context), m_view(view), m_running(running), m_busyScope(busyScope) {}

  void OpenOutsideLink(const std::string& url) override {
    m_sentOutside = true;
    ::quire::OpenOutsideLink(url);
  }
  bool SentOutside() const { return m_sentOutside; }

  bool RunLinkCommands(const std::string& decodedUrl) override {
    if (Busy())
      return !SplitLinkCommands(decodedUrl).empty();
    return Run([&] { return ::quire::RunLinkCommands(m_context, decodedUrl); });
  }

  bool RunScriptLink(const std::string& decodedUrl) override {
    if (Busy())
      return decodedUrl.find("#!") != std::string::npos ||
             decodedUrl.find("#@") != std::string::npos;
    return Run([&] { return ::quire::RunScriptLink(m_context, decodedUrl); });
  }

 private:
  bool Busy() const { return *m_running || m_view->InCommand(); }

  bool Run(const std::function<bool()>& link) {
    bool handled = false;
    *m_running = true;
    m_busyScope([&] { handled = link(); });
    *m_running = false;
    return handled;
  }

  ReaderContext& m_context;
  const CQuireView* m_view;
  bool* m_running;
  const CQuireView::BusyScope& m_busyScope;
  bool m_sentOutside = false;
};

// What the navigation policy would do with an address, found without doing it: whether it
// would open a browser or run a link.
class PolicyProbe final : public NavigationHandlers {
 public:
  void OpenOutsideLink(const std::string&) override { m_acts = true; }
  bool RunLinkCommands(const std::string& decodedUrl) override {
    return Note(!SplitLinkCommands(decodedUrl).empty());
  }
  bool RunScriptLink(const std::string& decodedUrl) override {
    return Note(decodedUrl.find("#!") != std::string::npos ||
                decodedUrl.find("#@") != std::string::npos);
  }
  bool Acts() const { return m_acts; }

 private:
  bool Note(bool handled) {
    m_acts = m_acts || handled;
    return handled;
  }

  bool m_acts = false;
};

CQuireView::CQuireView(ReaderContext& context, StateChanged stateChanged, BusyScope busyScope)
    : m_context(context),
      m_stateChanged(std::move(stateChanged)),
      m_busyScope(std::move(busyScope)),
      m_pageWindows({G_CALLBACK(OnDecidePolicy), G_CALLBACK(OnCreate), this}) {
  WebKitSettings* settings = webkit_settings_new();
  const std::string charset = BookDefaultCharset(m_context.book);
  m_bWindows1252 = charset != "UTF-8";
  webkit_settings_set_default_charset(settings, charset.c_str());
  webkit_settings_set_zoom_text_only(settings, TRUE);
  // A page script's own window.open gets its window, as a browser would give it.
  webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
  webkit_settings_set_enable_developer_extras(settings, FALSE);
  m_webView = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", ReaderWebContext(),
                                           "settings", settings, nullptr));
  g_object_unref(settings);
  g_object_ref_sink(m_webView);
  // Files dropped on the page are not opened.
  gtk_drag_dest_unset(GTK_WIDGET(m_webView));

  g_signal_connect(m_webView, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
  g_signal_connect(m_webView, "load-changed", G_CALLBACK(OnLoadChanged), this);
  g_signal_connect(m_webView, "load-failed", G_CALLBACK(OnLoadFailed), this);
  g_signal_connect(m_webView, "create", G_CALLBACK(OnCreate), this);
  g_signal_connect(m_webView, "web-process-terminated", G_CALLBACK(OnWebProcessTerminated), this);
  g_signal_connect(m_webView, "context-menu", G_CALLBACK(OnContextMenu), this);
  g_signal_connect(m_webView, "notify::is-loading", G_CALLBACK(OnLoadingNotify), this);
  g_signal_connect(m_webView, "mouse-target-changed", G_CALLBACK(OnMouseTargetChanged), this);
  g_signal_connect(webkit_web_view_get_back_forward_list(m_webView), "changed",
                   G_CALLBACK(OnHistoryChanged), this);
  g_signal_connect(ReaderWebContext(), "download-started", G_CALLBACK(OnDownloadStarted), this);
  g_signal_connect_swapped(m_webView, "destroy",
                           G_CALLBACK(+[](CQuireView* view) { view->m_bDestroyed = true; }), this);

  // The find bar floats over the page's top right corner while it is open.
  m_findBar = std::make_unique<FindBar>(m_context, m_webView);
  m_container = gtk_overlay_new();
  gtk_container_add(GTK_CONTAINER(m_container), GTK_WIDGET(m_webView));
  GtkWidget* finder = m_findBar->Widget();
  gtk_widget_set_halign(finder, GTK_ALIGN_END);
  gtk_widget_set_valign(finder, GTK_ALIGN_START);
  gtk_overlay_add_overlay(GTK_OVERLAY(m_container), finder);
  gtk_widget_show(GTK_WIDGET(m_webView));
  gtk_widget_set_no_show_all(finder, TRUE);
  m_editing = std::make_unique<EditingState>(m_webView, [this] { m_stateChanged(); });
}

struct CQuireView::SoonTask {
  CQuireView* view;
  guint source = 0;
  std::function<void()> work;
};

CQuireView::~CQuireView() {
  // Work still waiting for the main loop is dropped with what it holds.
  const std::set<guint> pending = std::move(m_soonSources);
  for (guint source : pending)
    g_source_remove(source);
  m_pageWindows.CloseAll();
  g_signal_handlers_disconnect_by_data(ReaderWebContext(), this);
  m_editing.reset();
  m_findBar.reset();
  if (m_webView != nullptr) {
    g_signal_handlers_disconnect_by_data(m_webView, this);
    g_signal_handlers_disconnect_by_data(webkit_web_view_get_back_forward_list(m_webView), this);
    g_object_unref(m_webView);
  }
}

void CQuireView::OnInitialUpdate(const std::function<void()>& applyFrameOptions) {
  m_bInCommand = false;
  applyFrameOptions();
  m_bCanGoBack = false;
  m_bCanGoForward = false;
  SetFontSize(FontLevelOfCommand(kCmdFontMedium));
  GoHome();
}

void CQuireView::OnDestroy(const std::function<void()>& shutdown) {
  if (m_bStopped)
    return;
  m_bStopped = true;
  // Nothing a page opened may outlive the book or see its folder go.
  m_pageWindows.CloseAll();
  shutdown();
}

// --- Operations ---------------------------------------------------------------------------

void CQuireView::Navigate(const std::string& target) {
  if (m_bDestroyed)
    return;
  std::string url = ViewUrlForTarget(target);
  if (url.empty())
    return;
  MarkNavigation(url);
  webkit_web_view_load_uri(m_webView, url.c_str());
}

void CQuireView::GoHome() {
  Navigate(m_context.book.StartPage());
  FocusPage();
}

void CQuireView::FocusPage() {
  // Reached from a menu, a toolbar button or a dialog, the page takes the keys, so that
  // Page Down scrolls it at once.
  if (!m_bDestroyed)
    gtk_widget_grab_focus(GTK_WIDGET(m_webView));
}

void CQuireView::GoBack() {
  GoInHistory(true);
}

void CQuireView::GoForward() {
  GoInHistory(false);
}

void CQuireView::GoInHistory(bool back) {
  if (m_bDestroyed)
    return;
  std::vector<WebKitBackForwardListItem*> items;
  const HistoryList history = History(&items);
  const std::optional<int> target =
      HistoryTarget(history, back ? HistoryDirection::kBack : HistoryDirection::kForward);
  if (!target) {
    if (!back && m_keptForward.Next()) {
      // A page ahead that a page's script dropped from the web view's history: shown
      // again as the history would show it, running nothing.
      const std::string page = *m_keptForward.Next();
      m_keptForward.Restore();
      m_marks.Remember(page, NavigationOrigin::kCommand);
      webkit_web_view_load_uri(m_webView, page.c_str());
      FocusPage();
    }
    return;
  }
  WebKitBackForwardListItem* item = items[*target];
  // A command's own step through the history passes the policy untouched.
  if (m_bInCommand)
    MarkNavigation(webkit_back_forward_list_item_get_uri(item));
  webkit_web_view_go_to_back_forward_list_item(m_webView, item);
  FocusPage();
}

HistoryList CQuireView::History(std::vector<WebKitBackForwardListItem*>* items) const {
  HistoryList history;
  items->clear();
  WebKitBackForwardList* list = webkit_web_view_get_back_forward_list(m_webView);
  if (webkit_back_forward_list_get_current_item(list) == nullptr)
    return history;
  // Items by their distance from the current one: the lists WebKit hands out come in
  // different orders for back and forward.
  GList* backList = webkit_back_forward_list_get_back_list(list);
  const int back = static_cast<int>(g_list_length(backList));
  g_list_free(backList);
  for (int offset = -back;; ++offset) {
    WebKitBackForwardListItem* item = webkit_back_forward_list_get_nth_item(list, offset);
    if (item == nullptr) {
      if (offset < 0)
        continue;
      break;
    }
    if (offset == 0)
      history.current = static_cast<int>(items->size());
    items->push_back(item);
  }
  for (WebKitBackForwardListItem* item : *items) {
    const char* uri = webkit_back_forward_list_item_get_uri(item);
    history.addresses.push_back(uri != nullptr ? uri : "");
  }
  return history;
}

void CQuireView::StopLoading() {
  if (!m_bDestroyed)
    webkit_web_view_stop_loading(m_webView);
}

void CQuireView::RefreshPage() {
  if (m_bDestroyed)
    return;
  m_marks.Remember(UriOf(m_webView),
                   m_bInCommand ? NavigationOrigin::kCommand : NavigationOrigin::kReplay);
  webkit_web_view_reload(m_webView);
}

void CQuireView::PrintPage() {
  if (m_bDestroyed)
    return;
  m_busyScope([&] { m_printing.PrintPage(m_webView, ToplevelOf(Widget())); });
}

void CQuireView::RunPageSetup() {
  m_busyScope([&] { m_printing.RunPageSetup(m_bDestroyed ? nullptr : ToplevelOf(Widget())); });
}

void CQuireView::CopySelection() {
  if (!m_bDestroyed)
    webkit_web_view_execute_editing_command(m_webView, WEBKIT_EDITING_COMMAND_COPY);
}

void CQuireView::SelectAllText() {
  if (!m_bDestroyed)
    webkit_web_view_execute_editing_command(m_webView, WEBKIT_EDITING_COMMAND_SELECT_ALL);
}

void CQuireView::FindOnPage() {
  if (!m_bDestroyed)
    m_findBar->Open();
}

void CQuireView::SetFontSize(int level) {
  if (level < 0 || level > 4)
    level = 2;
  m_nFontCommand = FontCommandOfLevel(level);
  if (!m_bDestroyed)
    webkit_web_view_set_zoom_level(m_webView, kZoomFactors[level]);
  m_stateChanged();
}

void CQuireView::ShowAbout() {
  NavigateAsCommand(BuildAboutPage(m_context));
  FocusPage();
}

void CQuireView::ShowSearch() {
  std::string path;
  m_busyScope([&] { path = ShowSearchDialog(m_context); });
  if (!path.empty()) {
    NavigateAsCommand(path);
    FocusPage();
  }
}

void CQuireView::ShowContents() {
  std::string path = BuildContentsPage(m_context);
  if (!path.empty()) {
    NavigateAsCommand(path);
    FocusPage();
  }
}

void CQuireView::OpenLinkAsClicked(const std::string& url) {
  if (m_bDestroyed || m_bStopped || url.empty())
    return;
  // The page in view asks for it, as the click would: the same policy decides whether it
  // is shown, sent outside or runs the book's commands.
  const NavigationContext context = ContextFor(m_webView);
  PolicyProbe probe;
  DecideNavigation(url, NavigationOrigin::kPage, context, probe);
  if (probe.Acts()) {
    RunLink(m_webView, url, NavigationOrigin::kPage, context);
    return;
  }
  // Shown as it came: the load passes the policy untouched, as the decision would have.
  m_marks.Remember(url, NavigationOrigin::kCommand);
  webkit_web_view_load_uri(m_webView, url.c_str());
}

bool CQuireView::CanCopy() const {
  return m_editing != nullptr && m_editing->CanCopy();
}

bool CQuireView::CanSelectAll() const {
  return m_editing != nullptr && m_editing->CanSelectAll();
}

std::string CQuireView::CurrentUrl() const {
  if (m_bDestroyed)
    return {};
  return m_shownPage;
}

bool CQuireView::IsLoading() const {
  return !m_bDestroyed && webkit_web_view_is_loading(m_webView);
}

void CQuireView::ActivateFrameCommand(const char* name) {
  if (m_bDestroyed)
    return;
  m_stateChanged();  // the enabling as it is now
  GActionGroup* commands = gtk_widget_get_action_group(Widget(), "win");
  if (commands != nullptr)
    g_action_group_activate_action(commands, name, nullptr);
}

void CQuireView::RunSoon(std::function<void()> work) {
  auto* task = new SoonTask{this, 0, std::move(work)};
  task->source = g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        auto* soon = static_cast<SoonTask*>(data);
        soon->view->m_soonSources.erase(soon->source);
        soon->work();
        return G_SOURCE_REMOVE;
      },
      task, [](gpointer data) { delete static_cast<SoonTask*>(data); });
  m_soonSources.insert(task->source);
}

void CQuireView::NavigateAsCommand(const std::string& path) {
  bool was = m_bInCommand;
  m_bInCommand = true;
  Navigate(path);
  m_bInCommand = was;
}

// --- Navigation policy --------------------------------------------------------------------

gboolean CQuireView::OnDecidePolicy(WebKitWebView* webView, WebKitPolicyDecision* decision,
                                    WebKitPolicyDecisionType type, gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
      type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION)
    return FALSE;
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const char* rawUri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  std::string uri = rawUri != nullptr ? rawUri : "";
  guint modifiers = webkit_navigation_action_get_modifiers(action);
  bool shift = (modifiers & GDK_SHIFT_MASK) != 0;
  bool control = (modifiers & GDK_CONTROL_MASK) != 0;
  bool alt = (modifiers & GDK_MOD1_MASK) != 0;
  WebKitNavigationType navigationType = webkit_navigation_action_get_navigation_type(action);

  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    if (DecideNewWindow({shift, control, alt}) != NewWindowVerdict::kOpen) {
      self->RefuseNewWindow(decision, shift, control, alt);
      return TRUE;
    }
  } else if (navigationType == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED && (shift || control)) {
    // Shift- and Ctrl-clicks ask other browsers for a second window.
    self->RefuseNewWindow(decision, shift, control, alt);
    return TRUE;
  }
  if (navigationType == WEBKIT_NAVIGATION_TYPE_BACK_FORWARD && IsCommandAddress(uri)) {
    // An entry a link's commands left behind: going there shows its page and never runs
    // the commands again.
    webkit_policy_decision_use(decision);
    return TRUE;
  }
  if (webView == self->m_webView && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION)
    self->m_findBar->NoteNavigation(uri, navigationType == WEBKIT_NAVIGATION_TYPE_LINK_CLICKED);
  // Only the reader's own calls leave marks, and only in its own view; what a page starts
  // itself (a link, a form) never takes one, even to the same address.
  NavigationOrigin origin = NavigationOrigin::kPage;
  if (webView == self->m_webView && type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION &&
      navigationType != WEBKIT_NAVIGATION_TYPE_LINK_CLICKED &&
      navigationType != WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED &&
      navigationType != WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED)
    origin = self->m_marks.Take(uri);
  // Refresh, F5, a page's reload and the reload after a crash show an address again; what
  // it holds was either run already or was never to be run. (WebKit also calls a page's
  // refresh to another fragment of itself a reload; that one goes somewhere new.)
  const std::string shown = self->ShownPage(webView);
  if (navigationType == WEBKIT_NAVIGATION_TYPE_RELOAD && origin != NavigationOrigin::kCommand &&
      uri == shown)
    origin = NavigationOrigin::kReplay;
  self->DecideAndRun(webView, decision, uri, origin);
  return TRUE;
}

NavigationContext CQuireView::ContextFor(WebKitWebView* webView) const {
  NavigationContext context;
  context.bookFolder = m_context.store.ClaimedFolder();
  context.shownUrl = ShownPage(webView);
  context.openLinksOutside = m_context.book.OpenLinksOutside();
  context.windows1252Book = m_bWindows1252;
  context.pageCommands = m_context.book.Features().pageCommands;
  return context;
}

void CQuireView::DecideAndRun(WebKitWebView* webView, WebKitPolicyDecision* decision,
                              const std::string& uri, NavigationOrigin origin) {
  if (origin == NavigationOrigin::kCommand) {
    webkit_policy_decision_use(decision);
    return;
  }
  const NavigationContext context = ContextFor(webView);
  if (webView == m_webView && origin == NavigationOrigin::kPage &&
      OpensInUsersPrograms(uri, context)) {
    // The reader's own about page: its credit and the author's addresses belong in the
    // user's browser and mail program, not in a window of the reader.
    webkit_policy_decision_ignore(decision);
    ::quire::OpenOutsideLink(uri);
    return;
  }
  PolicyProbe probe;
  DecideNavigation(uri, origin, context, probe);
  if (!probe.Acts()) {
    webkit_policy_decision_use(decision);
    return;
  }
  // Refused now: WebKit takes a fragment navigation (every "##" link on a page is one) that
  // is still undecided when the signal returns as allowed, moves to it and records it in
  // the history.
  webkit_policy_decision_ignore(decision);
  RunLink(webView, uri, origin, context);
}

void CQuireView::RunLink(WebKitWebView* webView, const std::string& uri, NavigationOrigin origin,
                         const NavigationContext& context) {
  RunSoon([this, view = Ref(GTK_WIDGET(webView)), uri, origin, context] {
    if (m_bDestroyed || m_bStopped)
      return;
    WebKitWebView* asking = WEBKIT_WEB_VIEW(view.get());
    ViewLinkRunners runners(m_context, this, &m_bRunningLink, m_busyScope);
    const NavigationVerdict verdict = DecideNavigation(uri, origin, context, runners);
    if (verdict == NavigationVerdict::kDisplay && !m_bDestroyed && asking == m_webView) {
      // The link named nothing to run after all (a "#!" naming no script): show it as the
      // web view would have. The reload is the reader's own, so it passes untouched.
      m_marks.Remember(uri, NavigationOrigin::kCommand);
      webkit_web_view_load_uri(m_webView, uri.c_str());
    }
    // A pop-up opened only to show an outside address has nothing left to show.
    if (runners.SentOutside() && asking != m_webView)
      PageWindows::CloseIfItShowsNothing(asking);
  });
}

void CQuireView::RefuseNewWindow(WebKitPolicyDecision* decision, bool shift, bool control,
                                 bool alt) {
  webkit_policy_decision_ignore(decision);
  if (DecideNewWindow({shift, control, alt}) != NewWindowVerdict::kRefuseWithMessage)
    return;
  RunSoon([this] {
    m_busyScope([this] {
      m_context.window->MessageBox(kNewWindowRefusedMessage, kMbOk | kMbIconExclamation);
    });
  });
}

std::string CQuireView::ShownPage(WebKitWebView* webView) const {
  if (webView == m_webView)
    return m_shownPage;
  return PageWindows::PageShownIn(webView);
}

void CQuireView::MarkNavigation(const std::string& url) {
  m_marks.Remember(url, m_bInCommand ? NavigationOrigin::kCommand : NavigationOrigin::kReader);
}

// --- Loading, history, new windows --------------------------------------------------------

void CQuireView::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  // The active address already changes when a load starts; the page that shows changes
  // only here.
  if (event == WEBKIT_LOAD_COMMITTED)
    self->m_shownPage = PageOfAddress(UriOf(self->m_webView));
  if (event == WEBKIT_LOAD_FINISHED) {
    self->m_crashReloads = 0;
    self->RunStartupOnce();
  }
  self->UpdateHistoryState();
}

gboolean CQuireView::OnLoadFailed(WebKitWebView*, WebKitLoadEvent, const char*, GError*,
                                  gpointer selfPointer) {
  // A first page that cannot be shown must not hold the start-up script back.
  static_cast<CQuireView*>(selfPointer)->RunStartupOnce();
  return FALSE;
}

void CQuireView::HoldStartup() {
  m_bStartHeld = true;
}

void CQuireView::ReleaseStartup() {
  m_bStartHeld = false;
  if (m_bFirstPageDone)
    RunStartupOnce();
}

void CQuireView::RunStartupOnce() {
  m_bFirstPageDone = true;
  if (m_bStartDone || m_bStartHeld)
    return;
  m_bStartDone = true;
  RunSoon([this] {
    if (m_bStopped)
      return;
    m_busyScope([this] {
      const CEBook& book = m_context.book;
      std::string message = Trimmed(book.StartupMessage());
      if (!message.empty())
        m_context.window->MessageBox(message, kMbOk | kMbIconInformation);
      RunBookCommand(m_context, book.StartupScript());
    });
    if (m_startupDone && !m_bStopped && !m_bDestroyed)
      m_startupDone();
  });
}

GtkWidget* CQuireView::OnCreate(WebKitWebView* webView, WebKitNavigationAction*,
                                gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  if (self->m_bDestroyed || self->m_bStopped)
    return nullptr;
  return self->m_pageWindows.Open(webView, ToplevelOf(self->Widget()), self->ShownPage(webView));
}

void CQuireView::OnDownloadStarted(WebKitWebContext*, WebKitDownload* download,
                                   gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  WebKitWebView* shownIn = webkit_download_get_web_view(download);
  WebKitURIRequest* request = webkit_download_get_request(download);
  const char* address = request != nullptr ? webkit_uri_request_get_uri(request) : nullptr;
  NavigationContext context;
  context.bookFolder = self->m_context.store.ClaimedFolder();
  context.shownUrl = shownIn != nullptr ? self->ShownPage(shownIn) : "";
  if (self->m_bStopped || address == nullptr || !MaySaveDownload(address, context))
    webkit_download_cancel(download);
}

void CQuireView::OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                        gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API || self->m_bDestroyed ||
      self->m_crashReloads >= kCrashReloads)
    return;
  ++self->m_crashReloads;
  // The page went blank with its process; show it again. WebKit reports this load as a new
  // one, not as a reload: the mark keeps it from running what the address holds.
  self->m_marks.Remember(UriOf(self->m_webView), NavigationOrigin::kReplay);
  webkit_web_view_reload(self->m_webView);
}

void CQuireView::OnHistoryChanged(WebKitBackForwardList* list, WebKitBackForwardListItem* added,
                                  gpointer removed, gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  // The entries ahead that this change dropped, in history order.
  std::vector<std::string> droppedAhead;
  for (WebKitBackForwardListItem* ahead : self->m_aheadItems) {
    if (g_list_find(static_cast<GList*>(removed), ahead) != nullptr) {
      const char* uri = webkit_back_forward_list_item_get_uri(ahead);
      droppedAhead.push_back(uri != nullptr ? uri : "");
    }
  }
  const char* addedUri = added != nullptr ? webkit_back_forward_list_item_get_uri(added) : nullptr;
  self->m_keptForward.HistoryChanged(addedUri != nullptr ? addedUri : "", droppedAhead);
  // A move within the page shown (a fragment, or a command link WebKit recorded) commits
  // no load; its entry says where the page now is.
  WebKitBackForwardListItem* current = webkit_back_forward_list_get_current_item(list);
  const char* currentUri =
      current != nullptr ? webkit_back_forward_list_item_get_uri(current) : nullptr;
  if (currentUri != nullptr && SameDocument(currentUri, self->m_shownPage))
    self->m_shownPage = PageOfAddress(currentUri);
  self->UpdateHistoryState();
}

void CQuireView::OnMouseTargetChanged(WebKitWebView*, WebKitHitTestResult* hit, guint,
                                      gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  const char* link = webkit_hit_test_result_context_is_link(hit)
                         ? webkit_hit_test_result_get_link_uri(hit)
                         : nullptr;
  const std::string text =
      link != nullptr ? LinkStatusText(link, self->m_context.store.ClaimedFolder()) : "";
  if (!text.empty()) {
    self->m_bShowingLink = true;
    self->m_context.window->SetStatusText(text);
  } else if (self->m_bShowingLink) {
    self->m_bShowingLink = false;
    self->m_context.window->SetStatusText(kIdleStatusText);
  }
}

void CQuireView::OnLoadingNotify(GObject*, GParamSpec*, gpointer selfPointer) {
  static_cast<CQuireView*>(selfPointer)->m_stateChanged();
}

void CQuireView::UpdateHistoryState() {
  if (m_bDestroyed)
    return;
  std::vector<WebKitBackForwardListItem*> items;
  const HistoryList history = History(&items);
  m_bCanGoBack = HistoryTarget(history, HistoryDirection::kBack).has_value();
  m_bCanGoForward = HistoryTarget(history, HistoryDirection::kForward).has_value() ||
                    m_keptForward.Next().has_value();
  m_aheadItems.assign(items.begin() + std::min<size_t>(items.size(), history.current + 1),
                      items.end());
  m_stateChanged();
}

}  // namespace quire
