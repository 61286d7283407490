#include "app/shortcut_launcher.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>
#include <glib/gstdio.h>

#include <memory>

namespace quire {

namespace {

constexpr int kIconSize = 256;

// A file name made of the ESBN's letters and digits only.
std::string IconFileName(const std::string& esbn) {
  std::string name = "book-";
  for (char c : esbn) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    name += plain ? c : '_';
  }
  return name + ".png";
}

std::string SaveIcon(GdkPixbuf* picture, const std::string& esbn) {
  if (picture == nullptr)
    return {};
  gchar* folder = g_build_filename(g_get_user_data_dir(), "quire", "icons", nullptr);
  std::string path;
  if (g_mkdir_with_parents(folder, 0700) == 0) {
    gchar* file = g_build_filename(folder, IconFileName(esbn).c_str(), nullptr);
    if (gdk_pixbuf_save(picture, file, "png", nullptr, nullptr))
      path = file;
    g_free(file);
  }
  g_free(folder);
  return path;
}

}  // namespace

ShortcutOptions DesktopShortcutOptions(const std::string& splashPath, const std::string& esbn) {
  ShortcutOptions options;
  std::shared_ptr<GdkPixbuf> picture;
  if (!splashPath.empty()) {
    GdkPixbuf* loaded =
        gdk_pixbuf_new_from_file_at_scale(splashPath.c_str(), kIconSize, kIconSize, TRUE, nullptr);
    if (loaded != nullptr)
      picture.reset(loaded, g_object_unref);
  }
  options.prepareIcon = [picture, esbn] { return SaveIcon(picture.get(), esbn); };
  options.markTrusted = MarkLauncherTrusted;
  return options;
}

void MarkLauncherTrusted(const std::string& path) {
  GFile* file = g_file_new_for_path(path.c_str());
  // GNOME's desktop and Nautilus.
  g_file_set_attribute_string(file, "metadata::trusted", "true", G_FILE_QUERY_INFO_NONE, nullptr,
                              nullptr);
  // Xfce trusts a launcher whose contents still match the checksum it was trusted with.
  gchar* contents = nullptr;
  gsize length = 0;
  if (g_file_get_contents(path.c_str(), &contents, &length, nullptr)) {
    gchar* checksum = g_compute_checksum_for_data(
        G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(contents), length);
    g_file_set_attribute_string(file, "metadata::xfce-exe-checksum", checksum,
                                G_FILE_QUERY_INFO_NONE, nullptr, nullptr);
    g_free(checksum);
    g_free(contents);
  }
  g_object_unref(file);
}

}  // namespace quire
