// The reader's one top-level window: menu bar, toolbar, status bar and the HTML view, all
// driven by the one command table of session/frame_commands.h. Lives on the GTK main
// thread from start-up until the application closes it.
#ifndef QUIRE_APP_MAIN_FRAME_H_
#define QUIRE_APP_MAIN_FRAME_H_

#include <gtk/gtk.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "session/command_state.h"
#include "session/window_geometry.h"
#include "ui/reader_window.h"
#include "view/quire_view.h"

namespace quire {

// The size of the screen the reader opens on (its primary monitor, else the first one); all
// 0 when there is no display.
WindowRect PrimaryScreenRect();

class CMainFrame {
 public:
  using BusyScope = CQuireView::BusyScope;

  // `closeRequested` is called for "E&xit" and the window's close button; the application
  // decides when the window really goes.
  CMainFrame(std::function<void()> closeRequested, BusyScope busyScope);
  ~CMainFrame();
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Makes the hidden window with its bars and view, in the book's frame style and with its
  // caption, and shows the splash picture at `splashPath` (may be empty). Then the view's
  // first update applies the book's options and goes to the start page.
  void Create(const std::string& splashPath);
  // Shows the window at the size and place the book asks for.
  void ShowInitially();

  bool Exists() const { return m_window != nullptr; }
  GtkWindow* Window() const { return m_window; }
  CQuireView* View() const { return m_view.get(); }

  // --- Commands ---------------------------------------------------------------------------
  // Runs command `id` unless its update handler disables it.
  void RunCommand(int id);
  // What the update handlers read right now.
  CommandContext Context() const;
  // Brings menu items and toolbar buttons in line with Context().
  void UpdateCommandUi();

  // --- Window operations ------------------------------------------------------------------
  void Present();
  void ShowMaximized();
  void ShowMinimized();
  void ShowNormal();
  void PlaceWindow(const WindowRect& rect);
  WindowRect FrameRect() const;
  WindowRect ClientRect() const;
  WindowRect ScreenRect() const;
  void Hide();
  // Destroys the widgets; the view's operations do nothing afterwards.
  void Destroy();

  // --- Status bar and cursor --------------------------------------------------------------
  void SetStatusText(const std::string& text);
  void ShowProgress(const std::string& caption, int position);
  void HideProgress();
  void SetWaitCursor(bool wait);

 private:
  static gboolean OnDeleteEvent(GtkWidget* widget, GdkEvent* event, gpointer self);
  static void OnRealize(GtkWidget* widget, gpointer self);
  static void OnKeymapStateChanged(GdkKeymap* keymap, gpointer self);

  GtkWidget* BuildMenuBar();
  GtkWidget* BuildMenuItem(int id);
  GtkWidget* BuildToolbar();
  GtkWidget* BuildStatusBar();
  void ConnectAccelerators();
  void ConnectPrompt(GtkWidget* widget, const std::string& prompt, bool menuItem);
  void ApplyBookOptions();
  void ToggleToolbar();
  void ToggleStatusBar();
  void Dispatch(int id);
  void UpdateIndicators();

  std::function<void()> m_closeRequested;
  BusyScope m_busyScope;
  std::unique_ptr<CQuireView> m_view;

  GtkWindow* m_window = nullptr;
  GtkWidget* m_menuBar = nullptr;
  GtkWidget* m_toolbar = nullptr;
  GtkWidget* m_statusBar = nullptr;
  GtkWidget* m_statusMessage = nullptr;
  GtkWidget* m_progress = nullptr;
  GtkWidget* m_indicators[3] = {};
  GtkAccelGroup* m_accelGroup = nullptr;
  std::map<int, std::vector<GtkWidget*>> m_menuItems;
  std::map<int, std::vector<GtkWidget*>> m_toolButtons;
  InitialPlacement m_placement;
  bool m_updating = false;
};

}  // namespace quire

#endif  // QUIRE_APP_MAIN_FRAME_H_
