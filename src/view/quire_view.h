// The reader's one HTML view: a WebKitWebView that shows the book's pages and passes every
// navigation, its own and those of the windows its pages open, through the navigation
// policy. Lives on the GTK main thread.
#ifndef QUIRE_VIEW_QUIRE_VIEW_H_
#define QUIRE_VIEW_QUIRE_VIEW_H_

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "session/history_rules.h"
#include "session/kept_forward.h"
#include "session/navigation_marks.h"
#include "session/navigation_policy.h"
#include "view/page_windows.h"
#include "view/popup_menu.h"
#include "view/printing.h"

namespace quire {

struct ReaderContext;

class EditingState;
class FindBar;

class CQuireView {
 public:
  // Called whenever something that command enabling reads has changed (history, loading,
  // font size).
  using StateChanged = std::function<void()>;
  // Runs `work` as one stretch that must not overlap a close of the window (a script run,
  // a message box); the application defers a close until it ends.
  using BusyScope = std::function<void(const std::function<void()>& work)>;

  // `context` (not owned) is the reader the view shows; it outlives the view.
  CQuireView(ReaderContext& context, StateChanged stateChanged, BusyScope busyScope);
  ~CQuireView();
  CQuireView(const CQuireView&) = delete;
  CQuireView& operator=(const CQuireView&) = delete;

  // The web view itself.
  GtkWidget* Widget() const { return GTK_WIDGET(m_webView); }
  // What the frame packs: the web view with the find bar over it; owned by the frame's
  // widget tree once packed.
  GtkWidget* Container() const { return m_container; }
  WebKitWebView* WebView() const { return m_webView; }
  bool Exists() const { return m_webView != nullptr; }

  // Once, after the frame and the view exist: clears the flags, selects the medium font
  // size and goes to the start page. `applyFrameOptions` applies the book's bar options.
  void OnInitialUpdate(const std::function<void()>& applyFrameOptions);
  // The exit script and the clean-up of the book folder; the view stays a widget until
  // the frame is destroyed. Runs once.
  void OnDestroy(const std::function<void()>& shutdown);
  // While held, the start-up message and script wait, also when the first page has
  // arrived; releasing runs them once the first page is there (start-up asks its own
  // question first).
  void HoldStartup();
  void ReleaseStartup();
  // Called once the start-up message and script have run (not when the view went first).
  void SetStartupDone(std::function<void()> done) { m_startupDone = std::move(done); }

  // --- Operations -----------------------------------------------------------------------
  void Navigate(const std::string& target);
  void GoHome();
  void GoBack();
  void GoForward();
  void StopLoading();
  void RefreshPage();
  void PrintPage();
  void CopySelection();
  void SelectAllText();
  // The page setup dialog; the choice is kept for the following prints.
  void RunPageSetup();
  void FindOnPage();
  void SetFontSize(int level);  // 0 smallest to 4 largest
  // The drop-downs open below `anchor` (their toolbar button) when given, else at the
  // pointer.
  void ShowFontMenu(GtkWidget* anchor = nullptr);
  void ShowAbout();
  void ShowSearch();
  void ShowContents();
  void ShowContentsMenu(GtkWidget* anchor = nullptr);
  // The reader's own menu for a right-click or the context-menu key (`trigger`, may be
  // null), with the items for the link to `linkUrl` first when it is not empty; false
  // without showing anything when the book switches the menu off.
  bool ShowPopupMenu(const GdkEvent* trigger, const std::string& linkUrl = {});
  // Follows `url` as a click on the page in view would: through the same policy.
  void OpenLinkAsClicked(const std::string& url);
  // The page the view has committed, without the part of a script link WebKit may have
  // recorded ("##", "#!", "#@" on): what {ebookurl} reports. Empty before the first page.
  std::string CurrentUrl() const;
  // The address of the last page the view committed to showing; empty before the first.
  const std::string& CommittedUrl() const { return m_shownPage; }
  // Goes to `path` as the reader's own navigation (a command's: the policy lets it pass).
  void NavigateAsCommand(const std::string& path);

  // --- State the commands read ----------------------------------------------------------
  bool CanGoBack() const { return m_bCanGoBack; }
  bool CanGoForward() const { return m_bCanGoForward; }
  bool IsLoading() const;
  bool CanCopy() const;
  bool CanSelectAll() const;
  int FontCommand() const { return m_nFontCommand; }
  bool InCommand() const { return m_bInCommand; }
  void SetInCommand(bool inCommand) { m_bInCommand = inCommand; }

 private:
  struct SoonTask;

  static gboolean OnDecidePolicy(WebKitWebView* webView, WebKitPolicyDecision* decision,
                                 WebKitPolicyDecisionType type, gpointer self);
  static void OnLoadChanged(WebKitWebView* webView, WebKitLoadEvent event, gpointer self);
  static gboolean OnLoadFailed(WebKitWebView* webView, WebKitLoadEvent event, const char* uri,
                               GError* error, gpointer self);
  static GtkWidget* OnCreate(WebKitWebView* webView, WebKitNavigationAction* action, gpointer self);
  static void OnDownloadStarted(WebKitWebContext* context, WebKitDownload* download, gpointer self);
  static void OnWebProcessTerminated(WebKitWebView* webView,
                                     WebKitWebProcessTerminationReason reason, gpointer self);
  static gboolean OnContextMenu(WebKitWebView* webView, WebKitContextMenu* menu, GdkEvent* event,
                                WebKitHitTestResult* hit, gpointer self);
  static void OnHistoryChanged(WebKitBackForwardList* list, WebKitBackForwardListItem* added,
                               gpointer removed, gpointer self);
  static void OnLoadingNotify(GObject* object, GParamSpec* property, gpointer self);
  static void OnMouseTargetChanged(WebKitWebView* webView, WebKitHitTestResult* hit,
                                   guint modifiers, gpointer self);

  // Decides a navigation of `webView` (this view or one of its pop-ups) before the signal
  // returns; what the link runs (scripts, message boxes, a browser) runs once it has
  // returned, never inside WebKit's signal emission.
  void DecideAndRun(WebKitWebView* webView, WebKitPolicyDecision* decision, const std::string& uri,
                    NavigationOrigin origin);
  // What the policy knows of `webView` now: the book folder, the page it shows, the book's
  // settings.
  NavigationContext ContextFor(WebKitWebView* webView) const;
  // Runs what the policy does with `uri` once the current signal has returned.
  void RunLink(WebKitWebView* webView, const std::string& uri, NavigationOrigin origin,
               const NavigationContext& context);
  // Gives the page the keyboard focus after the reader navigated.
  void FocusPage();
  void RefuseNewWindow(WebKitPolicyDecision* decision, bool shift, bool control, bool alt);
  // The page `webView` (this view or a pop-up) shows: the address of its last committed
  // load, for a pop-up that has shown none yet its opener's; empty before the first one.
  std::string ShownPage(WebKitWebView* webView) const;
  // Remembers a navigation the running command or the reader asks for.
  void MarkNavigation(const std::string& url);
  void RunStartupOnce();
  void UpdateHistoryState();
  // The web view's history as the history rules see it; `items` gets the matching items.
  HistoryList History(std::vector<WebKitBackForwardListItem*>* items) const;
  void GoInHistory(bool back);
  // Runs `work` from the main loop once the current signal emission is over, unless the
  // view is gone by then; what `work` holds is released either way.
  void RunSoon(std::function<void()> work);
  // Runs the window's command `name` as its menu item would (nothing while disabled).
  void ActivateFrameCommand(const char* name);
  // Shows a pop-up menu once the current signal has returned and gives `act` the chosen
  // id (never 0).
  void RunMenuSoon(std::vector<PopupItem> items, GtkWidget* anchor, std::function<void(int)> act);

  WebKitWebView* m_webView = nullptr;
  GtkWidget* m_container = nullptr;
  std::unique_ptr<EditingState> m_editing;
  std::unique_ptr<FindBar> m_findBar;
  Printing m_printing;
  ReaderContext& m_context;
  StateChanged m_stateChanged;
  BusyScope m_busyScope;
  std::function<void()> m_startupDone;

  int m_nFontCommand = 0;
  bool m_bCanGoBack = false;
  bool m_bCanGoForward = false;
  bool m_bStartDone = false;
  bool m_bStartHeld = false;
  bool m_bFirstPageDone = false;
  bool m_bInCommand = false;
  bool m_bRunningLink = false;
  bool m_bShowingLink = false;  // the status bar shows the address of a hovered link
  bool m_bDestroyed = false;    // the widget is gone
  bool m_bStopped = false;      // the exit script and clean-up have run
  bool m_bWindows1252 = false;  // the book's texts are Windows-1252, not UTF-8
  int m_crashReloads = 0;
  // Addresses that script commands and the reader asked for: a command's own navigation
  // passes the policy untouched, the reader's may run script links wherever it leads,
  // although WebKit reports them after the call has returned.
  NavigationMarks m_marks;
  std::string m_shownPage;
  // Pages ahead that a page's script dropped from WebKit's history, and the entries ahead
  // of the current one as the history last showed them.
  KeptForward m_keptForward;
  std::vector<WebKitBackForwardListItem*> m_aheadItems;
  // The windows that pages opened, closed with the book.
  PageWindows m_pageWindows;
  // Main-loop sources of RunSoon not run yet; removed with the view.
  std::set<guint> m_soonSources;
};

}  // namespace quire

#endif  // QUIRE_VIEW_QUIRE_VIEW_H_
