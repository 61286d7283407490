#include "view/quire_view.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "book/cebook.h"
#include "pages/about_page.h"
#include "pages/contents_page.h"
#include "pages/search.h"
#include "platform/launcher.h"
#include "script/script_links.h"
#include "session/display_text.h"
#include "session/frame_commands.h"
#include "session/navigation_policy.h"
#include "session/view_address.h"
#include "ui/reader_window.h"
#include "view/page_window.h"

namespace quire {

namespace {

// Text zoom factors of the five font sizes, smallest first; level 2 is 100%.
constexpr double kZoomFactors[5] = {0.75, 0.875, 1.0, 1.25, 1.5};
// How many command navigations are remembered while WebKit has not reported them yet.
constexpr size_t kCommandLoadsKept = 8;
// A page whose web process keeps dying is reloaded this many times in a row at most.
constexpr int kCrashReloads = 3;

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

// Runs `work` from the main loop once the current signal emission is over.
void RunSoon(std::function<void()> work) {
  auto* task = new std::function<void()>(std::move(work));
  g_idle_add_full(
      G_PRIORITY_DEFAULT,
      [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      task, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace

// The interpreter and the desktop, as the navigation policy reaches them from the view.
// A link that arrives while another one still runs is not run (runs never nest) but is
// still kept from the web view when it holds a marker.
class ViewLinkRunners final : public NavigationHandlers {
 public:
  explicit ViewLinkRunners(CQuireView* view, bool* running, const CQuireView::BusyScope& busyScope)
      : m_running(running), m_busyScope(busyScope) {
    (void)view;
  }

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
}

CQuireView::~CQuireView() {
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
  m_busyScope([&] {
    WebKitPrintOperation* operation = webkit_print_operation_new(m_webView);
    webkit_print_operation_run_dialog(operation, ToplevelOf(Widget()));
    g_object_unref(operation);
  });
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
  if (m_bDestroyed)
    return;
  std::string text;
  m_busyScope([&] {
    GtkWidget* dialog =
        gtk_dialog_new_with_buttons("Find", ToplevelOf(Widget()), GTK_DIALOG_MODAL, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Find Next", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(box), 8);
    GtkWidget* label = gtk_label_new_with_mnemonic("Fi_nd what:");
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), entry);
    gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), entry, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), box);
    gtk_widget_show_all(dialog);
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK)
      text = gtk_entry_get_text(GTK_ENTRY(entry));
    gtk_widget_destroy(dialog);
  });
  if (text.empty() || m_bDestroyed)
    return;
  WebKitFindController* finder = webkit_web_view_get_find_controller(m_webView);
  webkit_find_controller_search(
      finder, text.c_str(), WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND,
      G_MAXUINT);
}

void CQuireView::FrameworkFind() {
  FindOnPage();
}

void CQuireView::SetFontSize(int level) {
  if (level < 0 || level > 4)
    level = 2;
  m_nFontCommand = FontCommandOfLevel(level);
  if (!m_bDestroyed)
    webkit_web_view_set_zoom_level(m_webView, kZoomFactors[level]);
  m_stateChanged();
}

void CQuireView::ShowFontMenu() {
  if (m_bDestroyed)
    return;
  GtkWidget* menu = gtk_menu_new();
  for (int level = 4; level >= 0; --level) {
    const FrameCommand* command = FindFrameCommand(FontCommandOfLevel(level));
    GtkWidget* item =
        gtk_check_menu_item_new_with_mnemonic(MnemonicToGtk(command->menuText).c_str());
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), m_nFontCommand == command->id);
    g_object_set_data(G_OBJECT(item), "quire-level", GINT_TO_POINTER(level));
    g_signal_connect(item, "activate", G_CALLBACK(+[](GtkMenuItem* chosen, gpointer self) {
                       static_cast<CQuireView*>(self)->SetFontSize(
                           GPOINTER_TO_INT(g_object_get_data(G_OBJECT(chosen), "quire-level")));
                     }),
                     this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }
  gtk_widget_show_all(menu);
  g_signal_connect(menu, "deactivate", G_CALLBACK(+[](GtkMenuShell* shell, gpointer) {
                     // Destroy once the activated item has run.
                     g_idle_add(
                         [](gpointer widget) -> gboolean {
                           gtk_widget_destroy(GTK_WIDGET(widget));
                           return G_SOURCE_REMOVE;
                         },
                         shell);
                   }),
                   nullptr);
  gtk_menu_attach_to_widget(GTK_MENU(menu), Widget(), nullptr);
  gtk_menu_popup_at_pointer(GTK_MENU(menu), nullptr);
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

void CQuireView::ShowContentsMenu() {
  ShowContents();
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
  g_object_ref(decision);
  RunSoon([this, decision, uri] {
    NavigationVerdict verdict = NavigationVerdict::kCancel;
    if (!m_bDestroyed && !m_bStopped) {
      ViewLinkRunners runners(this, &m_bRunningLink, m_busyScope);
      verdict = DecideNavigation(uri, m_bInCommand, CEBook::Instance().OpenLinksOutside(), runners,
                                 m_bWindows1252);
    }
    if (verdict == NavigationVerdict::kDisplay) {
      webkit_policy_decision_use(decision);
    } else {
      webkit_policy_decision_ignore(decision);
    }
    g_object_unref(decision);
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

gboolean CQuireView::OnContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*,
                                   WebKitHitTestResult*, gpointer) {
  // WebKit's own menu offers to open links in new windows and the like; the reader never
  // shows it.
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
