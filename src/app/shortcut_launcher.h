// How this desktop gets the book's launcher: the splash picture as its icon, and the
// "trusted launcher" mark of the file managers that ask for one before they start a
// launcher from the desktop.
#ifndef QUIRE_APP_SHORTCUT_LAUNCHER_H_
#define QUIRE_APP_SHORTCUT_LAUNCHER_H_

#include <string>

#include "session/shortcut_offer.h"

namespace quire {

// Options for OfferShortcut. The splash picture at `splashPath` (may be empty or gone) is
// read now, because the splash window deletes it when it closes, maybe while the question
// is still open; it is saved as an icon under the user's data folder only when a launcher
// is written. Without a picture the launcher gets a themed icon.
ShortcutOptions DesktopShortcutOptions(const std::string& splashPath, const std::string& esbn);

// Marks the launcher at `path` as trusted for GNOME's and Xfce's file managers (GIO
// metadata); where the desktop keeps no such metadata nothing happens.
void MarkLauncherTrusted(const std::string& path);

}  // namespace quire

#endif  // QUIRE_APP_SHORTCUT_LAUNCHER_H_
