// The book's splash picture, centred on the screen for 750 ms after the frame is made, or
// until the first key or mouse press. At most one exists.
#ifndef QUIRE_APP_SPLASH_WINDOW_H_
#define QUIRE_APP_SPLASH_WINDOW_H_

#include <gtk/gtk.h>

#include <string>

namespace quire {

class CSplashWindow {
 public:
  // How long the splash stays when nothing closes it earlier.
  static constexpr int kShowMilliseconds = 750;

  // Shows the picture in `path` (a BMP file the splash owns from now on) above `owner`.
  // A picture that cannot be loaded is skipped silently and its file deleted.
  static void Create(const std::string& path, GtkWindow* owner);
  // Closes the splash if it is open and reports whether it was: the window goes, the
  // picture's file is deleted and the owner is repainted.
  static bool CloseIfOpen();
  static bool IsOpen();

 private:
  explicit CSplashWindow(std::string path) : m_path(std::move(path)) {}
  ~CSplashWindow();

  std::string m_path;
  GtkWidget* m_window = nullptr;
  GtkWindow* m_owner = nullptr;
  guint m_timer = 0;
};

}  // namespace quire

#endif  // QUIRE_APP_SPLASH_WINDOW_H_
