#include "view/page_window.h"

#include <gdk/gdkkeysyms.h>

namespace quire {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

void OnReadyToShow(WebKitWebView* webView, gpointer windowPointer) {
  GtkWindow* window = GTK_WINDOW(windowPointer);
  WebKitWindowProperties* properties = webkit_web_view_get_window_properties(webView);
  GdkRectangle geometry{};
  webkit_window_properties_get_geometry(properties, &geometry);
  if (geometry.width > 0 && geometry.height > 0)
    gtk_window_set_default_size(window, geometry.width, geometry.height);
  if (geometry.x != 0 || geometry.y != 0)
    gtk_window_move(window, geometry.x, geometry.y);
  gtk_widget_show_all(GTK_WIDGET(window));
}

void OnClose(WebKitWebView*, gpointer windowPointer) {
  gtk_widget_destroy(GTK_WIDGET(windowPointer));
}

// Esc and Ctrl+W close the window, as they close the reader's other windows.
gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const bool escape = event->keyval == GDK_KEY_Escape && modifiers == 0;
  const bool closeKey =
      (event->keyval == GDK_KEY_w || event->keyval == GDK_KEY_W) && modifiers == GDK_CONTROL_MASK;
  if (!escape && !closeKey)
    return FALSE;
  gtk_widget_destroy(window);
  return TRUE;
}

void OnTitle(GObject* webView, GParamSpec*, gpointer windowPointer) {
  const char* title = webkit_web_view_get_title(WEBKIT_WEB_VIEW(webView));
  gtk_window_set_title(GTK_WINDOW(windowPointer), title != nullptr ? title : "");
}

}  // namespace

GtkWidget* CreatePageWindow(WebKitWebView* opener, GtkWindow* owner) {
  GtkWidget* webView = webkit_web_view_new_with_related_view(opener);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_default_size(GTK_WINDOW(window), kDefaultWidth, kDefaultHeight);
  if (owner != nullptr) {
    gtk_window_set_transient_for(GTK_WINDOW(window), owner);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(window), TRUE);
  }
  gtk_container_add(GTK_CONTAINER(window), webView);
  g_signal_connect(webView, "ready-to-show", G_CALLBACK(OnReadyToShow), window);
  g_signal_connect(webView, "close", G_CALLBACK(OnClose), window);
  g_signal_connect(webView, "notify::title", G_CALLBACK(OnTitle), window);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  return webView;
}

}  // namespace quire
