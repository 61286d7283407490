// Whether the desktop's GTK theme is dark (GTK_THEME=Adwaita:dark, the theme's
// prefer-dark setting, a dark theme of its own), told to the book so that the pages the
// reader writes for a book without colours of its own follow it.
#ifndef QUIRE_APP_DESKTOP_THEME_H_
#define QUIRE_APP_DESKTOP_THEME_H_

namespace quire {

class CEBook;

// True when the theme's window background is darker than mid grey. Needs GTK to be
// initialised.
bool DesktopThemeIsDark();

// Tells `book` (which lives as long as the process) whether the theme is dark now, and
// again whenever the theme or its prefer-dark setting changes (the pages written
// afterwards take the new colours).
void FollowDesktopTheme(CEBook& book);

}  // namespace quire

#endif  // QUIRE_APP_DESKTOP_THEME_H_
