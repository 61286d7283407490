#include "view/quire_view.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "book/cebook.h"
#include "pages/about_page.h"
#include "pages/contents_menu.h"
#include "pages/contents_page.h"
#include "pages/search.h"
#include "platform/launcher.h"
#include "script/script_links.h"
#include "session/display_text.h"
#include "session/font_commands.h"
#include "session/frame_commands.h"
#include "session/navigation_policy.h"
#include "session/view_address.h"
#include "ui/reader_window.h"
#include "view/editing_state.h"
#include "view/find_bar.h"
#include "view/page_window.h"
#include "view/popup_menu.h"

namespace quire {

namespace {

// Text zoom factors of the five font sizes, smallest first; level 2 is 100%.
constexpr double kZoomFactors[5] = {0.75, 0.875, 1.0, 1.25, 1.5};
// How many command navigations are remembered while WebKit has not reported them yet.
constexpr size_t kCommandLoadsKept = 8;
// A page whose web process keeps dying is reloaded this many times in a row at most.
constexpr int kCrashReloads = 3;
constexpr char kPopupMenuDisabled[] = "The Pop-up Menu is disabled in this E-Book";
// Ids of the page's own pop-up menu.
constexpr int kPopupBack = 100;
constexpr int kPopupForward = 101;
constexpr int kPopupCopy = 300;
constexpr int kPopupSelectAll = 301;
constexpr int kPopupPrint = 400;

std::string Unescaped(const std::string& uri) {
  char* raw = g_uri_unescape_string(uri.c_str(), nullptr);
  std::string text = raw != nullptr ? raw : uri;
  g_free(raw);
  if (!text.empty() && text.back() == '/')
    text.pop_back();
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(g_ascii_tolower(c)); });
  return text;
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

// What deferred work holds, released when the work is dropped, run or not: a copy of the
// event that asked for a menu, a reference to the widget it opens below.
using EventCopy = std::shared_ptr<GdkEvent>;
using WidgetRef = std::shared_ptr<GtkWidget>;

// Takes over an event copy that GDK handed out (may be null).
EventCopy OwnEvent(GdkEvent* event) {
  return event != nullptr ? EventCopy(event, gdk_event_free) : nullptr;
}

EventCopy CopyEvent(const GdkEvent* event) {
  return event != nullptr ? OwnEvent(gdk_event_copy(event)) : nullptr;
}

WidgetRef Ref(GtkWidget* widget) {
  if (widget == nullptr)
    return nullptr;
  g_object_ref(widget);
  return WidgetRef(widget, [](GtkWidget* held) { g_object_unref(held); });
}

// A navigation waiting for the policy; ignored when it is dropped undecided, so WebKit
// never waits for an answer that will not come.
class HeldDecision {
 public:
  explicit HeldDecision(WebKitPolicyDecision* decision)
      : m_decision(WEBKIT_POLICY_DECISION(g_object_ref(decision))) {}
  ~HeldDecision() {
    if (!m_decided)
      webkit_policy_decision_ignore(m_decision);
    g_object_unref(m_decision);
  }
  HeldDecision(const HeldDecision&) = delete;
  HeldDecision& operator=(const HeldDecision&) = delete;

  void Decide(bool display) {
    m_decided = true;
    if (display)
      webkit_policy_decision_use(m_decision);
    else
      webkit_policy_decision_ignore(m_decision);
  }

 private:
  WebKitPolicyDecision* m_decision;
  bool m_decided = false;
};

}  // namespace

// The interpreter and the desktop, as the navigation policy reaches them from the view.
// A link that arrives while another one still runs is not run (runs never nest) but is
// still kept from the web view when it holds a marker.
class ViewLinkRunners final : public NavigationHandlers {
 public:
  ViewLinkRunners(bool* running, const CQuireView::BusyScope& busyScope)
      : m_running(running), m_busyScope(busyScope) {}

  void OpenOutsideLink(const std::string& url) override { ::quire::OpenOutsideLink(url); }

  bool RunLinkCommands(const std::string& decodedUrl) override {
    if (*m_running)
      return !SplitLinkCommands(decodedUrl).empty();
    return Run([&] { return ::quire::RunLinkCommands(decodedUrl); });
  }

  bool RunScriptLink(const std::string& decodedUrl) override {
    if (*m_running)
      return decodedUrl.find("#!") != std::string::npos ||
             decodedUrl.find("#@") != std::string::npos;
    return Run([&] { return ::quire::RunScriptLink(decodedUrl); });
  }

 private:
  bool Run(const std::function<bool()>& link) {
    bool handled = false;
    *m_running = true;
    m_busyScope([&] { handled = link(); });
    *m_running = false;
    return handled;
  }

  bool* m_running;
  const CQuireView::BusyScope& m_busyScope;
};

CQuireView::CQuireView(StateChanged stateChanged, BusyScope busyScope)
    : m_stateChanged(std::move(stateChanged)), m_busyScope(std::move(busyScope)) {
  WebKitSettings* settings = webkit_settings_new();
  m_bWindows1252 = BookDefaultCharset() != "UTF-8";
  webkit_settings_set_default_charset(settings, BookDefaultCharset().c_str());
  webkit_settings_set_zoom_text_only(settings, TRUE);
  // A page script's own window.open gets its window, as a browser would give it.
  webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
  webkit_settings_set_enable_developer_extras(settings, FALSE);
  m_webView = WEBKIT_WEB_VIEW(webkit_web_view_new_with_settings(settings));
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
  g_signal_connect(webkit_web_view_get_back_forward_list(m_webView), "changed",
                   G_CALLBACK(OnHistoryChanged), this);
  g_signal_connect_swapped(m_webView, "destroy",
                           G_CALLBACK(+[](CQuireView* view) { view->m_bDestroyed = true; }), this);

  // The find bar floats over the page's top right corner while it is open.
  m_findBar = std::make_unique<FindBar>(m_webView);
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
  shutdown();
}

// --- Operations ---------------------------------------------------------------------------

void CQuireView::Navigate(const std::string& target) {
  if (m_bDestroyed)
    return;
  std::string url = ViewUrlForTarget(target);
  if (url.empty())
    return;
  if (m_bInCommand) {
    m_commandLoads.push_back(Unescaped(url));
    if (m_commandLoads.size() > kCommandLoadsKept)
      m_commandLoads.pop_front();
  }
  webkit_web_view_load_uri(m_webView, url.c_str());
}

void CQuireView::GoHome() {
  Navigate(CEBook::Instance().StartPage());
}

void CQuireView::GoBack() {
  if (!m_bDestroyed)
    webkit_web_view_go_back(m_webView);
}

void CQuireView::GoForward() {
  if (!m_bDestroyed)
    webkit_web_view_go_forward(m_webView);
}

void CQuireView::StopLoading() {
  if (!m_bDestroyed)
    webkit_web_view_stop_loading(m_webView);
}

void CQuireView::RefreshPage() {
  if (!m_bDestroyed)
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

void CQuireView::ShowFontMenu(GtkWidget* anchor) {
  if (m_bDestroyed)
    return;
  std::vector<PopupItem> items;
  for (const FontMenuItem& size : FontMenuItems()) {
    PopupItem item;
    item.id = size.id;
    item.text = size.text;
    item.checkable = true;
    item.checked = FontCommandChecked(size.command, m_nFontCommand);
    items.push_back(item);
  }
  RunMenuSoon(std::move(items), anchor, [this](int chosen) {
    const int command = FontCommandOfMenuId(chosen);
    if (command != 0)
      SetFontSize(FontLevelOfCommand(command));
  });
}

void CQuireView::RunMenuSoon(std::vector<PopupItem> items, GtkWidget* anchor,
                             std::function<void(int)> act) {
  // The menu waits for the user's choice in a loop of its own, which must not run inside
  // the click's signal (an assistive tool's click would wait for it to end); the click
  // still positions it.
  EventCopy trigger = OwnEvent(gtk_get_current_event());
  RunSoon([this, items = std::move(items), anchor = Ref(anchor), trigger, act = std::move(act)] {
    int chosen = 0;
    // The menu's own loop runs inside the busy scope, so the window cannot close under it.
    if (!m_bDestroyed && !m_bStopped)
      m_busyScope([&] { chosen = RunPopupMenu(items, Widget(), anchor.get(), trigger.get()); });
    if (chosen != 0 && !m_bDestroyed && !m_bStopped)
      act(chosen);
  });
}

void CQuireView::ShowAbout() {
  NavigateAsCommand(BuildAboutPage());
}

void CQuireView::ShowSearch() {
  std::string path;
  m_busyScope([&] { path = ShowSearchDialog(); });
  if (!path.empty())
    NavigateAsCommand(path);
}

void CQuireView::ShowContents() {
  std::string path = BuildContentsPage();
  if (!path.empty())
    NavigateAsCommand(path);
}

void CQuireView::ShowContentsMenu(GtkWidget* anchor) {
  if (m_bDestroyed)
    return;
  if (!CEBook::Instance().ContentsPopup()) {
    ShowContents();
    return;
  }
  const std::vector<ContentsMenuItem> entries = BuildContentsMenu();
  std::vector<PopupItem> items;
  for (const ContentsMenuItem& entry : entries) {
    PopupItem item;
    item.id = entry.id;
    item.text = entry.text;
    items.push_back(item);
  }
  RunMenuSoon(std::move(items), anchor, [this, entries](int chosen) {
    if (chosen == kContentsMenuViewAsPage) {
      ShowContents();
      return;
    }
    for (const ContentsMenuItem& entry : entries) {
      if (entry.id == chosen && !entry.path.empty())
        NavigateAsCommand(entry.path);
    }
  });
}

bool CQuireView::ShowPopupMenu(const GdkEvent* trigger) {
  if (!CEBook::Instance().PopupMenu())
    return false;
  // Each item runs the window's command of that name, greyed as that command is.
  struct Entry {
    int id;
    const char* text;
    const char* command;
  };
  static constexpr Entry kEntries[] = {
      {kPopupBack, "&Back", "back"},       {kPopupForward, "F&orward", "forward"},         {},
      {kPopupCopy, "&Copy", "copy"},       {kPopupSelectAll, "Select &All", "select-all"}, {},
      {kPopupPrint, "&Print...", "print"},
  };
  m_stateChanged();  // the commands' state as it is now
  GActionGroup* commands = gtk_widget_get_action_group(Widget(), "win");
  std::vector<PopupItem> items;
  for (const Entry& entry : kEntries) {
    PopupItem item;
    item.id = entry.id;
    if (entry.command != nullptr) {
      item.text = entry.text;
      item.enabled = commands != nullptr &&
                     g_action_group_get_action_enabled(commands, entry.command) != FALSE;
    }
    items.push_back(item);
  }
  int chosen = 0;
  // The menu's own loop runs inside the busy scope, so the window cannot close under it.
  m_busyScope([&] { chosen = RunPopupMenu(items, Widget(), nullptr, trigger); });
  if (m_bDestroyed)
    return true;
  for (const Entry& entry : kEntries) {
    if (chosen != 0 && entry.id == chosen)
      ActivateFrameCommand(entry.command);
  }
  return true;
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
  const char* uri = webkit_web_view_get_uri(m_webView);
  return uri != nullptr ? uri : "";
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

gboolean CQuireView::OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
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
  bool inCommand = self->m_bInCommand ||
                   (navigationType == WEBKIT_NAVIGATION_TYPE_OTHER && self->TakeCommandLoad(uri));
  self->DecideLater(decision, uri, inCommand);
  return TRUE;
}

void CQuireView::DecideLater(WebKitPolicyDecision* decision, const std::string& uri,
                             bool inCommand) {
  if (inCommand) {
    webkit_policy_decision_use(decision);
    return;
  }
  auto held = std::make_shared<HeldDecision>(decision);
  RunSoon([this, held, uri] {
    NavigationVerdict verdict = NavigationVerdict::kCancel;
    if (!m_bDestroyed && !m_bStopped) {
      ViewLinkRunners runners(&m_bRunningLink, m_busyScope);
      verdict = DecideNavigation(uri, m_bInCommand, CEBook::Instance().OpenLinksOutside(), runners,
                                 m_bWindows1252);
    }
    held->Decide(verdict == NavigationVerdict::kDisplay);
  });
}

void CQuireView::RefuseNewWindow(WebKitPolicyDecision* decision, bool shift, bool control,
                                 bool alt) {
  webkit_policy_decision_ignore(decision);
  if (DecideNewWindow({shift, control, alt}) != NewWindowVerdict::kRefuseWithMessage)
    return;
  RunSoon([this] {
    m_busyScope(
        [] { TheWindow().MessageBox(kNewWindowRefusedMessage, kMbOk | kMbIconExclamation); });
  });
}

bool CQuireView::TakeCommandLoad(const std::string& uri) {
  std::string key = Unescaped(uri);
  auto found = std::find(m_commandLoads.begin(), m_commandLoads.end(), key);
  if (found == m_commandLoads.end())
    return false;
  m_commandLoads.erase(found);
  return true;
}

// --- Loading, history, new windows --------------------------------------------------------

void CQuireView::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
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

void CQuireView::RunStartupOnce() {
  if (m_bStartDone)
    return;
  m_bStartDone = true;
  RunSoon([this] {
    if (m_bStopped)
      return;
    m_busyScope([] {
      const CEBook& book = CEBook::Instance();
      std::string message = Trimmed(book.StartupMessage());
      if (!message.empty())
        TheWindow().MessageBox(message, kMbOk | kMbIconInformation);
      RunBookCommand(book.StartupScript());
    });
  });
}

GtkWidget* CQuireView::OnCreate(WebKitWebView* webView, WebKitNavigationAction*, gpointer) {
  return CreatePageWindow(webView, ToplevelOf(GTK_WIDGET(webView)));
}

void CQuireView::OnWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason,
                                        gpointer selfPointer) {
  auto* self = static_cast<CQuireView*>(selfPointer);
  if (reason == WEBKIT_WEB_PROCESS_TERMINATED_BY_API || self->m_bDestroyed ||
      self->m_crashReloads >= kCrashReloads)
    return;
  ++self->m_crashReloads;
  // The page went blank with its process; show it again.
  webkit_web_view_reload(self->m_webView);
}

gboolean CQuireView::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent* event,
                                   WebKitHitTestResult*, gpointer selfPointer) {
  // WebKit's own menu offers to open links in new windows and the like; the reader never
  // shows it. Its own menu runs once the signal has returned.
  auto* self = static_cast<CQuireView*>(selfPointer);
  self->RunSoon([self, trigger = CopyEvent(event)] {
    if (!self->m_bDestroyed && !self->m_bStopped && !self->ShowPopupMenu(trigger.get())) {
      self->m_busyScope(
          [] { TheWindow().MessageBox(kPopupMenuDisabled, kMbOk | kMbIconInformation); });
    }
  });
  return TRUE;
}

void CQuireView::OnHistoryChanged(WebKitBackForwardList*, WebKitBackForwardListItem*, gpointer,
                                  gpointer selfPointer) {
  static_cast<CQuireView*>(selfPointer)->UpdateHistoryState();
}

void CQuireView::OnLoadingNotify(GObject*, GParamSpec*, gpointer selfPointer) {
  static_cast<CQuireView*>(selfPointer)->m_stateChanged();
}

void CQuireView::UpdateHistoryState() {
  if (m_bDestroyed)
    return;
  m_bCanGoBack = webkit_web_view_can_go_back(m_webView);
  m_bCanGoForward = webkit_web_view_can_go_forward(m_webView);
  m_stateChanged();
}

}  // namespace quire
