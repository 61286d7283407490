// A plain reader window for a window that a page's own script opens (window.open or a
// link with a target): a web view in a window of its own, without menus or toolbar. The
// view that made it gives its web view the navigation policy. It closes itself when its
// page asks to, on Esc and Ctrl+W, and goes with the window it belongs to.
#ifndef QUIRE_VIEW_PAGE_WINDOW_H_
#define QUIRE_VIEW_PAGE_WINDOW_H_

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

namespace quire {

// Makes the window's web view, related to `opener` as WebKit's "create" signal asks; the
// window is shown once WebKit says it is ready. Returns the new web view, owned by its
// window.
GtkWidget* CreatePageWindow(WebKitWebView* opener, GtkWindow* owner);

}  // namespace quire

#endif  // QUIRE_VIEW_PAGE_WINDOW_H_
