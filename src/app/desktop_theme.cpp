#include "app/desktop_theme.h"

#include <gtk/gtk.h>

#include "book/cebook.h"

namespace quire {

namespace {

void Tell(GObject*, GParamSpec*, gpointer book) {
  static_cast<CEBook*>(book)->SetDarkDesktop(DesktopThemeIsDark());
}

}  // namespace

bool DesktopThemeIsDark() {
  // The background a window of the theme gets, as the theme's own style sheet gives it.
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GdkRGBA background{1, 1, 1, 1};
  const gboolean found = gtk_style_context_lookup_color(gtk_widget_get_style_context(window),
                                                        "theme_bg_color", &background);
  gtk_widget_destroy(window);
  if (!found)
    return false;
  const double luminance =
      0.2126 * background.red + 0.7152 * background.green + 0.0722 * background.blue;
  return luminance < 0.5;
}

void FollowDesktopTheme(CEBook& book) {
  GtkSettings* settings = gtk_settings_get_default();
  Tell(nullptr, nullptr, &book);
  if (settings == nullptr)
    return;
  g_signal_connect(settings, "notify::gtk-theme-name", G_CALLBACK(Tell), &book);
  g_signal_connect(settings, "notify::gtk-application-prefer-dark-theme", G_CALLBACK(Tell), &book);
}

}  // namespace quire
