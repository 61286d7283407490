// The windows that the book's pages open (window.open, a link with a target), kept by the
// view so that none outlives the book. Each one's web view gets the view's navigation
// policy and "create" handler, and remembers which page it shows: its opener's until it
// shows one of its own, since until then what runs in it is the opener's doing.
#ifndef QUIRE_VIEW_PAGE_WINDOWS_H_
#define QUIRE_VIEW_PAGE_WINDOWS_H_

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string>
#include <vector>

namespace quire {

class PageWindows {
 public:
  // The view's handlers of "decide-policy" and "create", connected with `owner` as their
  // data on every window's web view.
  struct Handlers {
    GCallback decidePolicy = nullptr;
    GCallback create = nullptr;
    gpointer owner = nullptr;
  };

  explicit PageWindows(Handlers handlers) : m_handlers(handlers) {}
  ~PageWindows() { CloseAll(); }
  PageWindows(const PageWindows&) = delete;
  PageWindows& operator=(const PageWindows&) = delete;

  // Makes the window WebKit's "create" signal asks `opener` for, owned by `owner` (may be
  // null); `openerPage` is the page the opener shows. Returns the new web view, owned by
  // its window. Nothing dropped on it is opened, and WebKit's own menu (new windows,
  // downloads) never shows.
  GtkWidget* Open(WebKitWebView* opener, GtkWindow* owner, const std::string& openerPage);

  // Destroys every window still open. Their web views may live on a little in a pending
  // decision; they no longer reach the view's handlers.
  void CloseAll();

  // The page `webView`, one of these windows' views, shows; empty when it was never told.
  static std::string PageShownIn(WebKitWebView* webView);
  // Closes the window of `webView`, one of these windows' views, when it has not shown a
  // page of its own: it was opened only to send an address outside.
  static void CloseIfItShowsNothing(WebKitWebView* webView);

 private:
  Handlers m_handlers;
  std::vector<GtkWidget*> m_windows;
};

}  // namespace quire

#endif  // QUIRE_VIEW_PAGE_WINDOWS_H_
