#include "app/main_frame.h"

#include <algorithm>
#include <utility>

#include "app/splash_window.h"
#include "book/cebook.h"
#include "session/display_text.h"
#include "session/frame_commands.h"

namespace quire {

namespace {

constexpr char kIdleText[] = "Ready";
// The grey that shows wherever no bar or view covers the client area.
constexpr char kFrameCss[] = "window.quire-frame { background-color: rgb(192,192,192); }";
constexpr int kSystemWidth = 800;
constexpr int kSystemHeight = 600;
constexpr const char* kIndicatorTexts[3] = {"CAP", "NUM", "SCRL"};

struct CommandLink {
  CMainFrame* frame;
  int id;
};

void RunLinkedCommand(gpointer data) {
  auto* link = static_cast<CommandLink*>(data);
  link->frame->RunCommand(link->id);
}

CommandLink* NewLink(CMainFrame* frame, int id) {
  return new CommandLink{frame, id};
}

void FreeLink(gpointer data, GClosure*) {
  delete static_cast<CommandLink*>(data);
}

}  // namespace

CMainFrame::CMainFrame(std::function<void()> closeRequested, BusyScope busyScope)
    : m_closeRequested(std::move(closeRequested)), m_busyScope(std::move(busyScope)) {}

CMainFrame::~CMainFrame() {
  Destroy();
}

void CMainFrame::Create(const std::string& splashPath) {
  const CEBook& book = CEBook::Instance();
  m_view = std::make_unique<CQuireView>([this] { UpdateCommandUi(); }, m_busyScope);

  // Frame style and the fixed caption; page titles never change it.
  m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  gtk_window_set_title(m_window, ToDisplayText(book.Title()).c_str());
  gtk_window_set_resizable(m_window, book.SizeableFrame());
  gtk_style_context_add_class(gtk_widget_get_style_context(GTK_WIDGET(m_window)), "quire-frame");
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kFrameCss, -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(GTK_WIDGET(m_window)),
                                 GTK_STYLE_PROVIDER(css), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
  g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(m_window, "realize", G_CALLBACK(OnRealize), this);

  m_accelGroup = gtk_accel_group_new();
  gtk_window_add_accel_group(m_window, m_accelGroup);

  GtkWidget* frameBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(m_window), frameBox);
  m_menuBar = BuildMenuBar();
  gtk_box_pack_start(GTK_BOX(frameBox), m_menuBar, FALSE, FALSE, 0);

  m_toolbar = BuildToolbar();
  ToolbarPlacement placement = ToolbarPlacementFor(book.ToolbarStyle());
  bool sideways = placement.edge == BarEdge::kLeft || placement.edge == BarEdge::kRight;
  GtkWidget* middle =
      gtk_box_new(sideways ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(frameBox), middle, TRUE, TRUE, 0);
  bool barFirst = placement.edge == BarEdge::kTop || placement.edge == BarEdge::kLeft;
  if (barFirst)
    gtk_box_pack_start(GTK_BOX(middle), m_toolbar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(middle), m_view->Widget(), TRUE, TRUE, 0);
  if (!barFirst)
    gtk_box_pack_start(GTK_BOX(middle), m_toolbar, FALSE, FALSE, 0);

  m_statusBar = BuildStatusBar();
  gtk_box_pack_end(GTK_BOX(frameBox), m_statusBar, FALSE, FALSE, 0);
  ConnectAccelerators();

  gtk_widget_show_all(frameBox);
  gtk_widget_hide(m_progress);
  gtk_widget_realize(GTK_WIDGET(m_window));

  CSplashWindow::Create(splashPath, m_window);
  m_view->OnInitialUpdate([this] { ApplyBookOptions(); });
  UpdateCommandUi();
}

// --- Bars -------------------------------------------------------------------------------

GtkWidget* CMainFrame::BuildMenuBar() {
  GtkWidget* bar = gtk_menu_bar_new();
  for (const MenuTitle& title : MenuTitles()) {
    GtkWidget* top = gtk_menu_item_new_with_mnemonic(MnemonicToGtk(title.text).c_str());
    GtkWidget* menu = gtk_menu_new();
    gtk_menu_set_accel_group(GTK_MENU(menu), m_accelGroup);
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
    // The update handlers run whenever a menu opens.
    g_signal_connect_swapped(
        menu, "show", G_CALLBACK(+[](CMainFrame* frame) { frame->UpdateCommandUi(); }), this);
    GtkWidget* fonts = nullptr;
    for (const FrameCommand& command : FrameCommands()) {
      bool inFonts = command.menu == MenuName::kViewFonts;
      if (command.menu != title.menu && !(inFonts && title.menu == MenuName::kView))
        continue;
      if (inFonts && fonts == nullptr) {
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
        GtkWidget* fontsItem =
            gtk_menu_item_new_with_mnemonic(MnemonicToGtk(kFontsMenuText).c_str());
        fonts = gtk_menu_new();
        gtk_menu_item_set_submenu(GTK_MENU_ITEM(fontsItem), fonts);
        g_signal_connect_swapped(
            fonts, "show", G_CALLBACK(+[](CMainFrame* frame) { frame->UpdateCommandUi(); }), this);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), fontsItem);
      }
      GtkWidget* target = inFonts ? fonts : menu;
      if (command.separatorBefore)
        gtk_menu_shell_append(GTK_MENU_SHELL(target), gtk_separator_menu_item_new());
      gtk_menu_shell_append(GTK_MENU_SHELL(target), BuildMenuItem(command.id));
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
  }
  return bar;
}

GtkWidget* CMainFrame::BuildMenuItem(int id) {
  const FrameCommand& command = *FindFrameCommand(id);
  bool checkable = id == kCmdToolbar || id == kCmdStatusBar || FontLevelOfCommand(id) >= 0;
  GtkWidget* item = checkable ? gtk_check_menu_item_new() : gtk_menu_item_new();
  // The menu text with its mnemonic and, to its right, the accelerator label as written.
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  GtkWidget* label = gtk_label_new_with_mnemonic(MnemonicToGtk(command.menuText).c_str());
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), item);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 0);
  if (*command.acceleratorLabel != '\0') {
    GtkWidget* accel = gtk_label_new(command.acceleratorLabel);
    gtk_style_context_add_class(gtk_widget_get_style_context(accel), "accelerator");
    gtk_box_pack_end(GTK_BOX(box), accel, FALSE, FALSE, 0);
  }
  gtk_container_add(GTK_CONTAINER(item), box);
  g_signal_connect_data(item, "activate", G_CALLBACK(+[](GtkMenuItem*, gpointer data) {
                          auto* link = static_cast<CommandLink*>(data);
                          if (!link->frame->m_updating)
                            RunLinkedCommand(data);
                        }),
                        NewLink(this, id), FreeLink, GConnectFlags(0));
  ConnectPrompt(item, command.prompt, true);
  m_menuItems[id].push_back(item);
  return item;
}

GtkWidget* CMainFrame::BuildToolbar() {
  const CEBook& book = CEBook::Instance();
  GtkWidget* toolbar = gtk_toolbar_new();
  ToolbarPlacement placement = ToolbarPlacementFor(book.ToolbarStyle());
  gtk_orientable_set_orientation(GTK_ORIENTABLE(toolbar), placement.vertical
                                                              ? GTK_ORIENTATION_VERTICAL
                                                              : GTK_ORIENTATION_HORIZONTAL);
  bool texts = book.ToolbarButtonTexts();
  gtk_toolbar_set_style(GTK_TOOLBAR(toolbar), texts ? GTK_TOOLBAR_BOTH : GTK_TOOLBAR_ICONS);
  gtk_toolbar_set_icon_size(GTK_TOOLBAR(toolbar), GTK_ICON_SIZE_LARGE_TOOLBAR);
  std::vector<const FrameCommand*> buttons =
      VisibleToolbarCommands([&book](int flag) { return book.ToolbarButton(flag); });
  for (const FrameCommand* command : buttons) {
    std::string tip = PromptTooltip(command->prompt);
    GtkWidget* icon = gtk_image_new_from_icon_name(command->iconName, GTK_ICON_SIZE_LARGE_TOOLBAR);
    GtkToolItem* button = gtk_tool_button_new(icon, tip.c_str());
    // Buttons share one size, that of the largest.
    gtk_tool_item_set_homogeneous(button, TRUE);
    gtk_tool_item_set_is_important(button, TRUE);
    gtk_tool_item_set_tooltip_text(button, tip.c_str());
    g_signal_connect_data(button, "clicked", G_CALLBACK(+[](GtkToolButton*, gpointer data) {
                            RunLinkedCommand(data);
                          }),
                          NewLink(this, command->id), FreeLink, GConnectFlags(0));
    ConnectPrompt(gtk_bin_get_child(GTK_BIN(button)), command->prompt, false);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), button, -1);
    m_toolButtons[command->id].push_back(GTK_WIDGET(button));
  }
  return toolbar;
}

GtkWidget* CMainFrame::BuildStatusBar() {
  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_container_set_border_width(GTK_CONTAINER(bar), 2);
  m_statusMessage = gtk_label_new(kIdleText);
  gtk_label_set_xalign(GTK_LABEL(m_statusMessage), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(m_statusMessage), PANGO_ELLIPSIZE_END);
  gtk_box_pack_start(GTK_BOX(bar), m_statusMessage, TRUE, TRUE, 4);
  m_progress = gtk_progress_bar_new();
  gtk_widget_set_valign(m_progress, GTK_ALIGN_CENTER);
  gtk_widget_set_size_request(m_progress, 160, -1);
  gtk_box_pack_start(GTK_BOX(bar), m_progress, FALSE, FALSE, 0);
  for (int i = 0; i < 3; ++i) {
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
    m_indicators[i] = gtk_label_new("");
    gtk_label_set_width_chars(GTK_LABEL(m_indicators[i]), 5);
    gtk_container_add(GTK_CONTAINER(frame), m_indicators[i]);
    gtk_box_pack_start(GTK_BOX(bar), frame, FALSE, FALSE, 0);
  }
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  g_signal_connect(keymap, "state-changed", G_CALLBACK(OnKeymapStateChanged), this);
  UpdateIndicators();
  return bar;
}

void CMainFrame::UpdateIndicators() {
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_display_get_default());
  const bool on[3] = {gdk_keymap_get_caps_lock_state(keymap) != FALSE,
                      gdk_keymap_get_num_lock_state(keymap) != FALSE,
                      gdk_keymap_get_scroll_lock_state(keymap) != FALSE};
  for (int i = 0; i < 3; ++i) {
    if (m_indicators[i] != nullptr)
      gtk_label_set_text(GTK_LABEL(m_indicators[i]), on[i] ? kIndicatorTexts[i] : "");
  }
}

void CMainFrame::OnKeymapStateChanged(GdkKeymap*, gpointer self) {
  static_cast<CMainFrame*>(self)->UpdateIndicators();
}

void CMainFrame::ConnectAccelerators() {
  for (const FrameCommand& command : FrameCommands()) {
    for (const char* key : command.keys) {
      guint keyval = 0;
      GdkModifierType modifiers{};
      gtk_accelerator_parse(key, &keyval, &modifiers);
      if (keyval == 0)
        continue;
      GClosure* closure =
          g_cclosure_new(G_CALLBACK(+[](GtkAccelGroup*, GObject*, guint, GdkModifierType,
                                        gpointer data) -> gboolean {
                           // A disabled command swallows its key all the same: the page never sees
                           // a key that belongs to the reader.
                           RunLinkedCommand(data);
                           return TRUE;
                         }),
                         NewLink(this, command.id), FreeLink);
      gtk_accel_group_connect(m_accelGroup, keyval, modifiers, GtkAccelFlags(0), closure);
    }
  }
}

void CMainFrame::ConnectPrompt(GtkWidget* widget, const std::string& prompt, bool menuItem) {
  auto* text = new std::string(PromptStatusText(prompt));
  auto destroy = [](gpointer data, GClosure*) { delete static_cast<std::string*>(data); };
  g_object_set_data(G_OBJECT(widget), "quire-frame", this);
  if (menuItem) {
    g_signal_connect_data(
        widget, "select", G_CALLBACK(+[](GtkWidget* item, gpointer data) {
          auto* frame = static_cast<CMainFrame*>(g_object_get_data(G_OBJECT(item), "quire-frame"));
          frame->SetStatusText(*static_cast<std::string*>(data));
        }),
        text, destroy, GConnectFlags(0));
    g_signal_connect(widget, "deselect", G_CALLBACK(+[](GtkWidget* item, gpointer) {
                       static_cast<CMainFrame*>(g_object_get_data(G_OBJECT(item), "quire-frame"))
                           ->SetStatusText(kIdleText);
                     }),
                     nullptr);
  } else {
    g_signal_connect_data(
        widget, "enter-notify-event",
        G_CALLBACK(+[](GtkWidget* button, GdkEvent*, gpointer data) -> gboolean {
          static_cast<CMainFrame*>(g_object_get_data(G_OBJECT(button), "quire-frame"))
              ->SetStatusText(*static_cast<std::string*>(data));
          return FALSE;
        }),
        text, destroy, GConnectFlags(0));
    g_signal_connect(widget, "leave-notify-event",
                     G_CALLBACK(+[](GtkWidget* button, GdkEvent*, gpointer) -> gboolean {
                       static_cast<CMainFrame*>(g_object_get_data(G_OBJECT(button), "quire-frame"))
                           ->SetStatusText(kIdleText);
                       return FALSE;
                     }),
                     nullptr);
  }
}

void CMainFrame::ApplyBookOptions() {
  const CEBook& book = CEBook::Instance();
  if (!book.MenuBar() && m_menuBar != nullptr) {
    // The accelerators live on the window and stay in force.
    gtk_widget_destroy(m_menuBar);
    m_menuBar = nullptr;
    m_menuItems.erase(m_menuItems.begin(), m_menuItems.end());
  }
  if (book.AlwaysOnTop())
    gtk_window_set_keep_above(m_window, TRUE);
  if (!book.Toolbar())
    gtk_widget_hide(m_toolbar);
  if (!book.StatusBar())
    gtk_widget_hide(m_statusBar);
}

void CMainFrame::OnRealize(GtkWidget* widget, gpointer) {
  const CEBook& book = CEBook::Instance();
  GdkWindow* window = gtk_widget_get_window(widget);
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  if (book.SizeableFrame())
    functions |= GDK_FUNC_RESIZE;
  if (book.MinimizeBox())
    functions |= GDK_FUNC_MINIMIZE;
  if (book.MaximizeBox())
    functions |= GDK_FUNC_MAXIMIZE;
  gdk_window_set_functions(window, GdkWMFunction(functions));
}

// --- Commands ---------------------------------------------------------------------------

CommandContext CMainFrame::Context() const {
  const CEBook& book = CEBook::Instance();
  CommandContext c;
  bool view = m_view != nullptr && m_view->Exists() && m_window != nullptr;
  if (view) {
    c.canGoBack = m_view->CanGoBack();
    c.canGoForward = m_view->CanGoForward();
    c.canCopy = m_view->CanCopy();
    c.canSelectAll = m_view->CanSelectAll();
    c.canFind = true;
    c.canRefresh = true;
    c.canStop = m_view->IsLoading();
    c.fontCommand = m_view->FontCommand();
  }
  c.toolbarVisible = m_toolbar != nullptr && gtk_widget_get_visible(m_toolbar);
  c.statusBarVisible = m_statusBar != nullptr && gtk_widget_get_visible(m_statusBar);
  c.toolbarToggle = book.ToolbarToggle();
  c.statusBarToggle = book.StatusBarToggle();
  c.aboutMode = book.AboutMode();
  c.anySearchable = book.AnySearchable();
  c.contentsAvailable = book.ContentsAvailable();
  return c;
}

void CMainFrame::RunCommand(int id) {
  if (m_window == nullptr || !CommandStateFor(id, Context()).enabled) {
    UpdateCommandUi();
    return;
  }
  Dispatch(id);
  UpdateCommandUi();
}

void CMainFrame::Dispatch(int id) {
  CQuireView& view = *m_view;
  switch (id) {
    case kCmdPrint:
      view.PrintPage();
      break;
    case kCmdPrintSetup:
      m_busyScope([] { TheWindow().PrintSetupDialog(); });
      break;
    case kCmdExit:
      m_closeRequested();
      break;
    case kCmdCopy:
      view.CopySelection();
      break;
    case kCmdSelectAll:
      view.SelectAllText();
      break;
    case kCmdFind:
      view.FindOnPage();
      break;
    case kCmdFrameworkFind:
      view.FrameworkFind();
      break;
    case kCmdToolbar:
      ToggleToolbar();
      break;
    case kCmdStatusBar:
      ToggleStatusBar();
      break;
    case kCmdFontLargest:
    case kCmdFontLarger:
    case kCmdFontMedium:
    case kCmdFontSmaller:
    case kCmdFontSmallest:
      view.SetFontSize(FontLevelOfCommand(id));
      break;
    case kCmdStop:
      view.StopLoading();
      break;
    case kCmdRefresh:
      view.RefreshPage();
      break;
    case kCmdBack:
      view.GoBack();
      break;
    case kCmdForward:
      view.GoForward();
      break;
    case kCmdHome:
      view.GoHome();
      break;
    case kCmdSearch:
      view.ShowSearch();
      break;
    case kCmdContents:
      view.ShowContents();
      break;
    case kCmdContentsMenu:
      view.ShowContentsMenu();
      break;
    case kCmdFontMenu:
      view.ShowFontMenu();
      break;
    case kCmdAbout:
      view.ShowAbout();
      break;
    case kCmdNextPane:
      gtk_widget_child_focus(GTK_WIDGET(m_window), GTK_DIR_TAB_FORWARD);
      break;
    case kCmdPreviousPane:
      gtk_widget_child_focus(GTK_WIDGET(m_window), GTK_DIR_TAB_BACKWARD);
      break;
    default:
      break;
  }
}

void CMainFrame::UpdateCommandUi() {
  if (m_window == nullptr)
    return;
  CommandContext context = Context();
  m_updating = true;
  for (auto& [id, items] : m_menuItems) {
    CommandUiState state = CommandStateFor(id, context);
    for (GtkWidget* item : items) {
      gtk_widget_set_sensitive(item, state.enabled);
      if (GTK_IS_CHECK_MENU_ITEM(item))
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), state.checked);
    }
  }
  for (auto& [id, buttons] : m_toolButtons) {
    CommandUiState state = CommandStateFor(id, context);
    for (GtkWidget* button : buttons)
      gtk_widget_set_sensitive(button, state.enabled);
  }
  m_updating = false;
}

void CMainFrame::ToggleToolbar() {
  gtk_widget_set_visible(m_toolbar, !gtk_widget_get_visible(m_toolbar));
}

void CMainFrame::ToggleStatusBar() {
  gtk_widget_set_visible(m_statusBar, !gtk_widget_get_visible(m_statusBar));
}

gboolean CMainFrame::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<CMainFrame*>(self)->m_closeRequested();
  return TRUE;  // the application destroys the window once the book has been closed
}

// --- Window operations ------------------------------------------------------------------

void CMainFrame::ShowInitially() {
  const CEBook& book = CEBook::Instance();
  WindowRect screen = ScreenRect();
  m_placement = ComputeInitialPlacement(book.WindowWidthCode(), book.WindowHeight(),
                                        book.WindowPositionCode(), screen.width, screen.height);
  switch (m_placement.show) {
    case InitialPlacement::Show::kMaximized:
      gtk_window_set_default_size(m_window, std::max(screen.width * 3 / 4, 1),
                                  std::max(screen.height * 3 / 4, 1));
      gtk_window_maximize(m_window);
      break;
    case InitialPlacement::Show::kMinimized:
      gtk_window_set_default_size(m_window, kSystemWidth, kSystemHeight);
      gtk_window_iconify(m_window);
      break;
    case InitialPlacement::Show::kSystemChosen:
      gtk_window_set_default_size(m_window, kSystemWidth, kSystemHeight);
      break;
    case InitialPlacement::Show::kPlaced:
      gtk_window_set_default_size(m_window, std::max(m_placement.rect.width, 1),
                                  std::max(m_placement.rect.height, 1));
      gtk_window_move(m_window, m_placement.rect.x, m_placement.rect.y);
      break;
  }
  gtk_widget_show(GTK_WIDGET(m_window));
  gtk_widget_queue_draw(GTK_WIDGET(m_window));
}

void CMainFrame::Present() {
  if (m_window == nullptr)
    return;
  gtk_window_deiconify(m_window);
  gtk_window_present(m_window);
}

void CMainFrame::ShowMaximized() {
  if (m_window == nullptr)
    return;
  gtk_window_deiconify(m_window);
  gtk_window_maximize(m_window);
  gtk_widget_show(GTK_WIDGET(m_window));
}

void CMainFrame::ShowMinimized() {
  if (m_window != nullptr)
    gtk_window_iconify(m_window);
}

void CMainFrame::ShowNormal() {
  if (m_window == nullptr)
    return;
  gtk_window_deiconify(m_window);
  gtk_window_unmaximize(m_window);
  const WindowRect& restore = m_placement.restoreRect;
  if (restore.width > 0 && restore.height > 0) {
    gtk_window_move(m_window, restore.x, restore.y);
    gtk_window_resize(m_window, restore.width, restore.height);
  }
  gtk_widget_show(GTK_WIDGET(m_window));
}

void CMainFrame::PlaceWindow(const WindowRect& rect) {
  if (m_window == nullptr)
    return;
  gtk_window_deiconify(m_window);
  gtk_window_unmaximize(m_window);
  gtk_window_move(m_window, rect.x, rect.y);
  gtk_window_resize(m_window, std::max(rect.width, 1), std::max(rect.height, 1));
  gtk_widget_show(GTK_WIDGET(m_window));
}

WindowRect CMainFrame::FrameRect() const {
  if (m_window == nullptr)
    return {};
  WindowRect rect;
  gtk_window_get_position(m_window, &rect.x, &rect.y);
  gtk_window_get_size(m_window, &rect.width, &rect.height);
  return rect;
}

WindowRect CMainFrame::ClientRect() const {
  if (m_window == nullptr || m_view == nullptr || !m_view->Exists())
    return {};
  GtkAllocation allocation;
  gtk_widget_get_allocation(m_view->Widget(), &allocation);
  return {0, 0, std::max(allocation.width, 0), std::max(allocation.height, 0)};
}

WindowRect CMainFrame::ScreenRect() const {
  return PrimaryScreenRect();
}

WindowRect PrimaryScreenRect() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr)
    return {};
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0)
    monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr)
    return {};
  GdkRectangle geometry;
  gdk_monitor_get_geometry(monitor, &geometry);
  return {0, 0, geometry.width, geometry.height};
}

void CMainFrame::Hide() {
  if (m_window != nullptr)
    gtk_widget_hide(GTK_WIDGET(m_window));
}

void CMainFrame::Destroy() {
  if (m_window == nullptr)
    return;
  GdkDisplay* display = gdk_display_get_default();
  if (display != nullptr)
    g_signal_handlers_disconnect_by_data(gdk_keymap_get_for_display(display), this);
  GtkWidget* window = GTK_WIDGET(m_window);
  m_window = nullptr;
  m_menuItems.clear();
  m_toolButtons.clear();
  m_menuBar = m_toolbar = m_statusBar = m_statusMessage = m_progress = nullptr;
  for (GtkWidget*& indicator : m_indicators)
    indicator = nullptr;
  gtk_widget_destroy(window);
  if (m_accelGroup != nullptr) {
    g_object_unref(m_accelGroup);
    m_accelGroup = nullptr;
  }
}

// --- Status bar and cursor ----------------------------------------------------------------

void CMainFrame::SetStatusText(const std::string& text) {
  if (m_statusMessage != nullptr)
    gtk_label_set_text(GTK_LABEL(m_statusMessage), ToDisplayText(text).c_str());
}

void CMainFrame::ShowProgress(const std::string& caption, int position) {
  if (m_progress == nullptr)
    return;
  SetStatusText(caption);
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(m_progress), std::clamp(position, 0, 100) / 100.0);
  gtk_widget_show(m_progress);
}

void CMainFrame::HideProgress() {
  if (m_progress == nullptr)
    return;
  gtk_widget_hide(m_progress);
  SetStatusText(kIdleText);
}

void CMainFrame::SetWaitCursor(bool wait) {
  if (m_window == nullptr)
    return;
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(m_window));
  if (window == nullptr)
    return;
  GdkCursor* cursor =
      wait ? gdk_cursor_new_from_name(gdk_window_get_display(window), "wait") : nullptr;
  gdk_window_set_cursor(window, cursor);
  if (cursor != nullptr)
    g_object_unref(cursor);
}

}  // namespace quire
