#include "app/splash_window.h"

#include <unistd.h>

#include <utility>

namespace quire {

namespace {

CSplashWindow* g_splash = nullptr;

}  // namespace

void CSplashWindow::Create(const std::string& path, GtkWindow* owner) {
  if (path.empty() || g_splash != nullptr)
    return;
  GdkPixbuf* picture = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
  if (picture == nullptr) {
    unlink(path.c_str());
    return;
  }
  auto* splash = new CSplashWindow(path);
  splash->m_owner = owner;
  // A managed window rather than a pop-up: window managers keep pop-ups above everything,
  // and a question asked at start-up must come above the splash.
  splash->m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(splash->m_window);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  gtk_window_set_skip_pager_hint(window, TRUE);
  gtk_window_set_accept_focus(window, FALSE);
  gtk_window_set_focus_on_map(window, FALSE);
  // Assistive tools see a plain window, not a second main window.
  atk_object_set_role(gtk_widget_get_accessible(splash->m_window), ATK_ROLE_WINDOW);
  gtk_window_set_position(GTK_WINDOW(splash->m_window), GTK_WIN_POS_CENTER);
  gtk_window_set_default_size(GTK_WINDOW(splash->m_window), gdk_pixbuf_get_width(picture),
                              gdk_pixbuf_get_height(picture));
  if (owner != nullptr)
    gtk_window_set_transient_for(GTK_WINDOW(splash->m_window), owner);
  gtk_container_add(GTK_CONTAINER(splash->m_window), gtk_image_new_from_pixbuf(picture));
  g_object_unref(picture);
  g_splash = splash;
  gtk_widget_show_all(splash->m_window);
  splash->m_timer = g_timeout_add(
      kShowMilliseconds,
      [](gpointer) -> gboolean {
        if (g_splash != nullptr)
          g_splash->m_timer = 0;
        CloseIfOpen();
        return G_SOURCE_REMOVE;
      },
      nullptr);
}

bool CSplashWindow::CloseIfOpen() {
  if (g_splash == nullptr)
    return false;
  GtkWindow* owner = g_splash->m_owner;
  delete g_splash;
  if (owner != nullptr)
    gtk_widget_queue_draw(GTK_WIDGET(owner));
  return true;
}

bool CSplashWindow::IsOpen() {
  return g_splash != nullptr;
}

CSplashWindow::~CSplashWindow() {
  g_splash = nullptr;
  if (m_timer != 0)
    g_source_remove(m_timer);
  if (m_window != nullptr)
    gtk_widget_destroy(m_window);
  if (!m_path.empty())
    unlink(m_path.c_str());
}

}  // namespace quire
