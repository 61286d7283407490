#include "view/page_windows.h"

#include <algorithm>

#include "view/page_window.h"

namespace quire {

namespace {

// Set on a window's web view once it has shown a page of its own.
constexpr char kShownKey[] = "quire-popup-shown";
// The page a window's web view shows: its opener's until it shows one of its own.
constexpr char kPageKey[] = "quire-popup-page";

void SetPage(WebKitWebView* webView, const std::string& page) {
  g_object_set_data_full(G_OBJECT(webView), kPageKey, g_strdup(page.c_str()), g_free);
}

void OnLoadChanged(WebKitWebView* webView, WebKitLoadEvent event, gpointer) {
  if (event != WEBKIT_LOAD_COMMITTED)
    return;
  g_object_set_data(G_OBJECT(webView), kShownKey, GINT_TO_POINTER(1));
  const char* uri = webkit_web_view_get_uri(webView);
  SetPage(webView, uri != nullptr ? uri : "");
}

gboolean NoContextMenu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                       gpointer) {
  return TRUE;
}

}  // namespace

GtkWidget* PageWindows::Open(WebKitWebView* opener, GtkWindow* owner,
                             const std::string& openerPage) {
  GtkWidget* webView = CreatePageWindow(opener, owner);
  WebKitWebView* view = WEBKIT_WEB_VIEW(webView);
  SetPage(view, openerPage);
  // A dropped address would be its own navigation, from a window that shows the book.
  gtk_drag_dest_unset(webView);
  GtkWidget* window = gtk_widget_get_toplevel(webView);
  m_windows.push_back(window);
  g_signal_connect(view, "decide-policy", m_handlers.decidePolicy, m_handlers.owner);
  g_signal_connect(view, "create", m_handlers.create, m_handlers.owner);
  g_signal_connect(view, "context-menu", G_CALLBACK(NoContextMenu), nullptr);
  g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(+[](GtkWidget* gone, gpointer selfPointer) {
                     auto& windows = static_cast<PageWindows*>(selfPointer)->m_windows;
                     windows.erase(std::remove(windows.begin(), windows.end(), gone),
                                   windows.end());
                   }),
                   this);
  return webView;
}

void PageWindows::CloseAll() {
  while (!m_windows.empty()) {
    GtkWidget* window = m_windows.back();
    g_signal_handlers_disconnect_by_data(window, this);
    GtkWidget* child = gtk_bin_get_child(GTK_BIN(window));
    if (child != nullptr)
      g_signal_handlers_disconnect_by_data(child, m_handlers.owner);
    m_windows.pop_back();
    gtk_widget_destroy(window);
  }
}

std::string PageWindows::PageShownIn(WebKitWebView* webView) {
  const char* page = static_cast<const char*>(g_object_get_data(G_OBJECT(webView), kPageKey));
  return page != nullptr ? page : "";
}

void PageWindows::CloseIfItShowsNothing(WebKitWebView* webView) {
  if (g_object_get_data(G_OBJECT(webView), kShownKey) != nullptr)
    return;
  GtkWidget* window = gtk_widget_get_toplevel(GTK_WIDGET(webView));
  if (gtk_widget_is_toplevel(window))
    gtk_widget_destroy(window);
}

}  // namespace quire
