// The reader's one HTML view: a WebKitWebView that shows the book's pages and passes every
// navigation through the navigation policy. Lives on the GTK main thread.
#ifndef QUIRE_VIEW_QUIRE_VIEW_H_
#define QUIRE_VIEW_QUIRE_VIEW_H_

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "view/popup_menu.h"
#include "view/printing.h"

namespace quire {

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

  CQuireView(StateChanged stateChanged, BusyScope busyScope);
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
  // null); false without showing anything when the book switches the menu off.
  bool ShowPopupMenu(const GdkEvent* trigger);
  std::string CurrentUrl() const;

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
  static void OnWebProcessTerminated(WebKitWebView* webView,
                                     WebKitWebProcessTerminationReason reason, gpointer self);
  static gboolean OnContextMenu(WebKitWebView* webView, WebKitContextMenu* menu, GdkEvent* event,
                                WebKitHitTestResult* hit, gpointer self);
  static void OnHistoryChanged(WebKitBackForwardList* list, WebKitBackForwardListItem* added,
                               gpointer removed, gpointer self);
  static void OnLoadingNotify(GObject* object, GParamSpec* property, gpointer self);

  // Decides a navigation once the signal has returned, so scripts and message boxes never
  // run inside WebKit's signal emission.
  void DecideLater(WebKitPolicyDecision* decision, const std::string& uri, bool inCommand);
  void RefuseNewWindow(WebKitPolicyDecision* decision, bool shift, bool control, bool alt);
  bool TakeCommandLoad(const std::string& uri);
  void RunStartupOnce();
  void UpdateHistoryState();
  void NavigateAsCommand(const std::string& path);
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
  StateChanged m_stateChanged;
  BusyScope m_busyScope;

  int m_nFontCommand = 0;
  bool m_bCanGoBack = false;
  bool m_bCanGoForward = false;
  bool m_bStartDone = false;
  bool m_bInCommand = false;
  bool m_bRunningLink = false;
  bool m_bDestroyed = false;    // the widget is gone
  bool m_bStopped = false;      // the exit script and clean-up have run
  bool m_bWindows1252 = false;  // the book's texts are Windows-1252, not UTF-8
  int m_crashReloads = 0;
  // Addresses that script commands asked for; their navigations pass the policy untouched
  // although WebKit reports them after the command has finished.
  std::deque<std::string> m_commandLoads;
  // Main-loop sources of RunSoon not run yet; removed with the view.
  std::set<guint> m_soonSources;
};

}  // namespace quire

#endif  // QUIRE_VIEW_QUIRE_VIEW_H_
