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
#include <string_view>
#include <vector>

#include "app/reading_aids.h"
#include "app/status_progress_bar.h"
#include "session/command_state.h"
#include "session/frame_command_target.h"
#include "session/frame_commands.h"
#include "session/window_geometry.h"
#include "ui/reader_window.h"
#include "view/quire_view.h"

namespace quire {

// The size of the screen the reader opens on (its primary monitor, else the first one); all
// 0 when there is no display.
WindowRect PrimaryScreenRect();

class CMainFrame final : private FrameCommandTarget {
 public:
  using BusyScope = CQuireView::BusyScope;

  // `closeRequested` is called for "E&xit" and the window's close button; the application
  // decides when the window really goes.
  // `context` (not owned) is the reader the window shows; it outlives the window.
  CMainFrame(ReaderContext& context, std::function<void()> closeRequested, BusyScope busyScope);
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
  // Every command is an action of this name in the window's "win" group; menu items,
  // toolbar buttons, keys and the page's pop-up menu all run it through the action.
  // Runs the command named `name` unless its rule disables it.
  void RunCommand(const char* name);
  // Runs the frame command named `name` whatever its rule says now, as a book's script
  // asks for it (BACK, PRINT, FONT(5), ...); nothing when there is no such command.
  void RunCommandForScript(std::string_view name);
  // What the update handlers read right now.
  CommandContext Context() const;
  // Brings menu items and toolbar buttons in line with Context().
  void UpdateCommandUi();
  // The book closes: the reading aids keep where the reader is.
  void RememberReading();

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
  // The X server asks for part of `exposed` to be drawn again (a menu over it closed).
  void OnExposed(GdkWindow* exposed);
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
  static void OnActionActivated(GSimpleAction* action, GVariant* parameter, gpointer self);
  static gboolean OnPageButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnPageScroll(GtkWidget* widget, GdkEventScroll* event, gpointer self);
  // Makes every button of `toolbar` as wide as the widest and as high as the highest.
  static void SizeButtonsAlike(GtkWidget* toolbar, gpointer);

  void BuildActions();
  // Runs the action `name` as a menu item, button or key does: not at all while disabled.
  void ActivateAction(const char* name);
  GtkWidget* BuildMenuBar();
  GtkWidget* BuildMenuItem(const FrameCommand& command);
  GtkWidget* BuildBookmarksMenu();
  GtkWidget* BuildToolbar();
  GtkWidget* BuildStatusBar();
  void ConnectAccelerators();
  void ConnectPrompt(GtkWidget* widget, const std::string& prompt, bool menuItem);
  void ApplyBookOptions();
  void UpdateIndicators();

  // What the commands do (FrameCommandTarget).
  void PrintPage() override;
  void CopySelection() override;
  void SelectAllText() override;
  void FindOnPage() override;
  void SetFontSize(int level) override;
  void StopLoading() override;
  void RefreshPage() override;
  void GoBack() override;
  void GoForward() override;
  void GoHome() override;
  void ShowSearch() override;
  void ShowContents() override;
  void ShowContentsMenu() override;
  void ShowFontMenu() override;
  void ShowAbout() override;
  void PrintSetup() override;
  void CloseBook() override;
  void ToggleToolbar() override;
  void ToggleStatusBar() override;
  void FocusNextPane() override;
  void FocusPreviousPane() override;

  std::function<void()> m_closeRequested;
  ReaderContext& m_context;
  BusyScope m_busyScope;
  std::unique_ptr<CQuireView> m_view;
  // The contents pane, search box, continue bar and bookmarks; goes before the view.
  std::unique_ptr<ReadingAids> m_aids;

  GtkWindow* m_window = nullptr;
  GtkWidget* m_menuBar = nullptr;
  GtkWidget* m_toolbar = nullptr;
  GtkWidget* m_statusBar = nullptr;
  GtkWidget* m_statusMessage = nullptr;
  std::unique_ptr<StatusProgressBar> m_progress;
  // The toolbar button whose click is being handled; the drop-downs open below it.
  GtkWidget* m_clickedButton = nullptr;
  GtkWidget* m_indicators[3] = {};
  GtkAccelGroup* m_accelGroup = nullptr;
  GSimpleActionGroup* m_actions = nullptr;
  // The check items by action name; their check marks follow the command state.
  std::map<std::string, std::vector<GtkWidget*>> m_checkItems;
  // The radio group of the five text sizes in the menu bar.
  GSList* m_fontGroup = nullptr;
  InitialPlacement m_placement;
  bool m_updating = false;
  // Ctrl+wheel movement not yet turned into a size step.
  double m_zoomScroll = 0;
};

}  // namespace quire

#endif  // QUIRE_APP_MAIN_FRAME_H_
