#include "app/main_frame.h"

#include <algorithm>
#include <utility>

#include "app/splash_window.h"
#include "pages/reader_context.h"
#include "session/display_text.h"
#include "session/frame_commands.h"
#include "session/reading_commands.h"

namespace quire {

namespace {

constexpr char kIdleText[] = "Ready";
constexpr char kActionPrefix[] = "win";
// The mouse's back and forward buttons.
constexpr guint kBackButton = 8;
constexpr guint kForwardButton = 9;
constexpr int kSystemWidth = 800;
constexpr int kSystemHeight = 600;
constexpr const char* kIndicatorTexts[3] = {"CAP", "NUM", "SCRL"};

// The action a widget or key runs, kept on the widget (or closure) by name.
constexpr char kActionKey[] = "quire-action";

const char* ActionOf(gpointer widget) {
  return static_cast<const char*>(g_object_get_data(G_OBJECT(widget), kActionKey));
}

// A reading command as a menu item is built from: its action, texts, check mark and key.
FrameCommand AsMenuCommand(const ReadingCommand& command) {
  FrameCommand item;
  item.name = command.name;
  item.menuText = command.menuText;
  item.separatorBefore = command.separatorBefore;
  item.checkable = command.checkable;
  item.acceleratorLabel = command.acceleratorLabel;
  item.prompt = command.prompt;
  return item;
}

}  // namespace

CMainFrame::CMainFrame(ReaderContext& context, std::function<void()> closeRequested,
                       BusyScope busyScope)
    : m_closeRequested(std::move(closeRequested)),
      m_context(context),
      m_busyScope(std::move(busyScope)) {}

CMainFrame::~CMainFrame() {
  Destroy();
}

void CMainFrame::Create(const std::string& splashPath) {
  const CEBook& book = m_context.book;
  m_view = std::make_unique<CQuireView>(
      m_context, [this] { UpdateCommandUi(); }, m_busyScope);
  m_aids = std::make_unique<ReadingAids>(
      m_context, m_view.get(), m_busyScope, [this] { UpdateCommandUi(); },
      [this](const std::string& text) { SetStatusText(text); });

  // Frame style and the fixed caption; page titles never change it.
  m_window = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
  gtk_window_set_title(m_window, ToDisplayText(book.Title()).c_str());
  gtk_window_set_resizable(m_window, book.SizeableFrame());
  // The client area shows the theme's window background wherever no bar or view covers it.
  g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(m_window, "realize", G_CALLBACK(OnRealize), this);

  BuildActions();
  m_accelGroup = gtk_accel_group_new();
  gtk_window_add_accel_group(m_window, m_accelGroup);

  GtkWidget* frameBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(m_window), frameBox);
  m_menuBar = BuildMenuBar();
  gtk_box_pack_start(GTK_BOX(frameBox), m_menuBar, FALSE, FALSE, 0);

  m_toolbar = BuildToolbar();
  m_aids->AddToToolbar(GTK_TOOLBAR(m_toolbar));
  ToolbarPlacement placement = ToolbarPlacementFor(book.ToolbarStyle());
  bool sideways = placement.edge == BarEdge::kLeft || placement.edge == BarEdge::kRight;
  GtkWidget* middle =
      gtk_box_new(sideways ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(frameBox), middle, TRUE, TRUE, 0);
  bool barFirst = placement.edge == BarEdge::kTop || placement.edge == BarEdge::kLeft;
  if (barFirst)
    gtk_box_pack_start(GTK_BOX(middle), m_toolbar, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(middle), m_aids->WrapView(m_view->Container()), TRUE, TRUE, 0);
  if (!barFirst)
    gtk_box_pack_start(GTK_BOX(middle), m_toolbar, FALSE, FALSE, 0);

  m_statusBar = BuildStatusBar();
  gtk_box_pack_end(GTK_BOX(frameBox), m_statusBar, FALSE, FALSE, 0);
  ConnectAccelerators();
  m_aids->ConnectKeys(m_window);
  // The mouse's back and forward buttons and Ctrl+wheel over the page; connected before
  // WebKit's own handlers, which would zoom the whole page.
  g_signal_connect(m_view->Widget(), "button-press-event", G_CALLBACK(OnPageButtonPress), this);
  g_signal_connect(m_view->Widget(), "scroll-event", G_CALLBACK(OnPageScroll), this);

  gtk_widget_show_all(frameBox);
  gtk_widget_realize(GTK_WIDGET(m_window));

  CSplashWindow::Create(splashPath, m_window);
  m_view->OnInitialUpdate([this] { ApplyBookOptions(); });
  m_aids->Start();
  UpdateCommandUi();
}

// --- Actions ----------------------------------------------------------------------------

void CMainFrame::BuildActions() {
  m_actions = g_simple_action_group_new();
  auto add = [this](const char* name, bool checkable) {
    GSimpleAction* action =
        checkable ? g_simple_action_new_stateful(name, nullptr, g_variant_new_boolean(FALSE))
                  : g_simple_action_new(name, nullptr);
    g_signal_connect(action, "activate", G_CALLBACK(OnActionActivated), this);
    g_action_map_add_action(G_ACTION_MAP(m_actions), G_ACTION(action));
    g_object_unref(action);
  };
  for (const FrameCommand& command : FrameCommands())
    add(command.name, command.checkable);
  for (const ReadingCommand& command : ReadingCommands())
    add(command.name, command.checkable);
  gtk_widget_insert_action_group(GTK_WIDGET(m_window), kActionPrefix, G_ACTION_GROUP(m_actions));
}

void CMainFrame::OnActionActivated(GSimpleAction* action, GVariant*, gpointer self) {
  static_cast<CMainFrame*>(self)->RunCommand(g_action_get_name(G_ACTION(action)));
}

void CMainFrame::ActivateAction(const char* name) {
  if (m_actions == nullptr || name == nullptr)
    return;
  // The enabling read now, not at the last update: a disabled action ignores the call.
  UpdateCommandUi();
  g_action_group_activate_action(G_ACTION_GROUP(m_actions), name, nullptr);
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
      gtk_menu_shell_append(GTK_MENU_SHELL(target), BuildMenuItem(command));
    }
    if (title.menu == MenuName::kView) {
      for (const ReadingCommand& command : ReadingCommands()) {
        if (command.menu != ReadingMenu::kView)
          continue;
        if (command.separatorBefore)
          gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), BuildMenuItem(AsMenuCommand(command)));
      }
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), top);
    if (title.menu == kBookmarksMenuFollows)
      gtk_menu_shell_append(GTK_MENU_SHELL(bar), BuildBookmarksMenu());
  }
  return bar;
}

GtkWidget* CMainFrame::BuildBookmarksMenu() {
  GtkWidget* top = gtk_menu_item_new_with_mnemonic(MnemonicToGtk(kBookmarksMenuText).c_str());
  GtkWidget* menu = gtk_menu_new();
  gtk_menu_set_accel_group(GTK_MENU(menu), m_accelGroup);
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(top), menu);
  g_signal_connect_swapped(menu, "show",
                           G_CALLBACK(+[](CMainFrame* frame) { frame->UpdateCommandUi(); }), this);
  GtkWidget* items[2] = {};
  int count = 0;
  for (const ReadingCommand& command : ReadingCommands()) {
    if (command.menu == ReadingMenu::kBookmarks && count < 2)
      items[count++] = BuildMenuItem(AsMenuCommand(command));
  }
  m_aids->BuildBookmarksMenu(GTK_MENU_SHELL(menu), items[0], items[1]);
  return top;
}

GtkWidget* CMainFrame::BuildMenuItem(const FrameCommand& command) {
  const std::string text = MnemonicToGtk(command.menuText);
  // The text sizes are one choice of five: radio items of one group.
  const bool radio = command.checkable && command.menu == MenuName::kViewFonts;
  GtkWidget* item = nullptr;
  if (radio) {
    item = gtk_radio_menu_item_new_with_mnemonic(m_fontGroup, text.c_str());
    m_fontGroup = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
  } else if (command.checkable) {
    item = gtk_check_menu_item_new_with_mnemonic(text.c_str());
  } else {
    item = gtk_menu_item_new_with_mnemonic(text.c_str());
  }
  g_object_set_data(G_OBJECT(item), kActionKey, const_cast<char*>(command.name));
  // The accelerator label is GTK's own, fed by the key the label names, so the
  // accessibility bus reports the binding; the keys themselves live on the window and
  // work without the menu bar.
  if (*command.acceleratorLabel != '\0') {
    guint keyval = 0;
    GdkModifierType modifiers{};
    gtk_accelerator_parse(AcceleratorOfLabel(command.acceleratorLabel).c_str(), &keyval,
                          &modifiers);
    GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
    if (keyval != 0 && GTK_IS_ACCEL_LABEL(label))
      gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), keyval, modifiers);
  }
  GAction* action = g_action_map_lookup_action(G_ACTION_MAP(m_actions), command.name);
  g_object_bind_property(action, "enabled", item, "sensitive", G_BINDING_SYNC_CREATE);
  g_signal_connect(
      item, "activate", G_CALLBACK(+[](GtkMenuItem* activated, gpointer self) {
        auto* frame = static_cast<CMainFrame*>(self);
        // A check mark set by an update is no choice of the user, and neither
        // is the radio item that the choice of another one turned off.
        if (frame->m_updating || (GTK_IS_RADIO_MENU_ITEM(activated) &&
                                  !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(activated))))
          return;
        frame->ActivateAction(ActionOf(activated));
      }),
      this);
  ConnectPrompt(item, command.prompt, true);
  if (command.checkable)
    m_checkItems[command.name].push_back(item);
  return item;
}

GtkWidget* CMainFrame::BuildToolbar() {
  const CEBook& book = m_context.book;
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
    g_object_set_data(G_OBJECT(button), kActionKey, const_cast<char*>(command->name));
    GAction* action = g_action_map_lookup_action(G_ACTION_MAP(m_actions), command->name);
    g_object_bind_property(action, "enabled", button, "sensitive", G_BINDING_SYNC_CREATE);
    g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkToolButton* clicked, gpointer self) {
                       auto* frame = static_cast<CMainFrame*>(self);
                       // The drop-downs open below their button.
                       frame->m_clickedButton = GTK_WIDGET(clicked);
                       frame->ActivateAction(ActionOf(clicked));
                       frame->m_clickedButton = nullptr;
                     }),
                     this);
    ConnectPrompt(gtk_bin_get_child(GTK_BIN(button)), command->prompt, false);
    gtk_toolbar_insert(GTK_TOOLBAR(toolbar), button, -1);
  }
  if (texts) {
    // GtkToolbar leaves a button with a long text out of its homogeneous size; every
    // button gets the size of the largest instead, again whenever the theme or font
    // changes it.
    g_signal_connect(toolbar, "style-updated", G_CALLBACK(SizeButtonsAlike), nullptr);
    g_signal_connect(toolbar, "realize", G_CALLBACK(SizeButtonsAlike), nullptr);
  }
  return toolbar;
}

void CMainFrame::SizeButtonsAlike(GtkWidget* toolbar, gpointer) {
  // The buttons only: the search box beside them keeps its own size.
  GList* items = nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(toolbar));
  for (GList* at = children; at != nullptr; at = at->next) {
    if (GTK_IS_TOOL_BUTTON(at->data))
      items = g_list_prepend(items, at->data);
  }
  g_list_free(children);
  int width = 0;
  int height = 0;
  for (GList* at = items; at != nullptr; at = at->next) {
    GtkWidget* item = GTK_WIDGET(at->data);
    gtk_widget_set_size_request(item, -1, -1);
    GtkRequisition natural;
    gtk_widget_get_preferred_size(item, nullptr, &natural);
    width = std::max(width, natural.width);
    height = std::max(height, natural.height);
  }
  for (GList* at = items; at != nullptr; at = at->next)
    gtk_widget_set_size_request(GTK_WIDGET(at->data), width, height);
  g_list_free(items);
}

GtkWidget* CMainFrame::BuildStatusBar() {
  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_container_set_border_width(GTK_CONTAINER(bar), 2);
  // The first pane: the message, and the progress bar of long loops at its right end.
  GtkWidget* pane = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  m_statusMessage = gtk_label_new(kIdleText);
  gtk_label_set_xalign(GTK_LABEL(m_statusMessage), 0.0f);
  gtk_label_set_ellipsize(GTK_LABEL(m_statusMessage), PANGO_ELLIPSIZE_END);
  gtk_box_pack_start(GTK_BOX(pane), m_statusMessage, TRUE, TRUE, 4);
  gtk_box_pack_start(GTK_BOX(bar), pane, TRUE, TRUE, 0);
  m_progress = std::make_unique<StatusProgressBar>(pane);
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
  // What one key's closure holds; freed with the closure, when the accel group goes.
  struct KeyBinding {
    CMainFrame* frame;
    const char* action;
  };
  auto connect = [this](const char* name, const std::vector<const char*>& keys) {
    for (const char* key : keys) {
      guint keyval = 0;
      GdkModifierType modifiers{};
      gtk_accelerator_parse(key, &keyval, &modifiers);
      if (keyval == 0)
        continue;
      GClosure* closure = g_cclosure_new(
          G_CALLBACK(+[](GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer data) {
            auto* binding = static_cast<KeyBinding*>(data);
            // A disabled command swallows its key all the same: the page never sees a key
            // that belongs to the reader.
            binding->frame->ActivateAction(binding->action);
            return TRUE;
          }),
          new KeyBinding{this, name},
          [](gpointer data, GClosure*) { delete static_cast<KeyBinding*>(data); });
      gtk_accel_group_connect(m_accelGroup, keyval, modifiers, GtkAccelFlags(0), closure);
    }
  };
  // Ctrl+S, the key of the search, goes to the search box (which may ask with the dialog).
  for (const FrameCommand& command : FrameCommands())
    connect(CommandForKey(command.name), command.keys);
  for (const ReadingCommand& command : ReadingCommands())
    connect(command.name, command.keys);
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
  const CEBook& book = m_context.book;
  if (!book.MenuBar() && m_menuBar != nullptr) {
    // The accelerators live on the window and stay in force.
    gtk_widget_destroy(m_menuBar);
    m_menuBar = nullptr;
    m_checkItems.clear();
    m_aids->MenuBarGone();
    m_fontGroup = nullptr;
  }
  if (book.AlwaysOnTop())
    gtk_window_set_keep_above(m_window, TRUE);
  if (!book.Toolbar())
    gtk_widget_hide(m_toolbar);
  if (!book.StatusBar())
    gtk_widget_hide(m_statusBar);
}

void CMainFrame::OnRealize(GtkWidget* widget, gpointer self) {
  const CEBook& book = static_cast<CMainFrame*>(self)->m_context.book;
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
  const CEBook& book = m_context.book;
  CommandContext c;
  bool view = m_view != nullptr && m_view->Exists() && m_window != nullptr;
  if (view) {
    c.canGoBack = m_view->CanGoBack();
    c.canGoForward = m_view->CanGoForward();
    c.canCopy = m_view->CanCopy();
    c.canSelectAll = m_view->CanSelectAll();
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
  if (view && m_aids != nullptr)
    m_aids->FillContext(&c);
  return c;
}

void CMainFrame::RunCommand(const char* name) {
  const FrameCommand* command = FindFrameCommand(name != nullptr ? name : "");
  const ReadingCommand* reading = FindReadingCommand(name != nullptr ? name : "");
  if (m_window != nullptr && command != nullptr)
    RunFrameCommand(*command, *this, Context());
  else if (m_window != nullptr && reading != nullptr && m_aids != nullptr)
    RunReadingCommand(*reading, *m_aids, Context());
  UpdateCommandUi();
}

void CMainFrame::RunCommandForScript(std::string_view name) {
  const FrameCommand* command = FindFrameCommand(name);
  // The row's own operation, not RunFrameCommand: a disabled menu item does not stop a
  // script. The view reports what the operation changed, as it does for the menus.
  if (m_window != nullptr && command != nullptr && command->run != nullptr)
    command->run(*this, Context());
}

void CMainFrame::UpdateCommandUi() {
  if (m_window == nullptr || m_actions == nullptr)
    return;
  if (m_aids != nullptr)
    m_aids->NoteState();
  const CommandContext context = Context();
  m_updating = true;
  auto update = [&](const char* name, bool checkable, CommandUiState state) {
    GAction* action = g_action_map_lookup_action(G_ACTION_MAP(m_actions), name);
    g_simple_action_set_enabled(G_SIMPLE_ACTION(action), state.enabled);
    if (!checkable)
      return;
    g_simple_action_set_state(G_SIMPLE_ACTION(action), g_variant_new_boolean(state.checked));
    auto items = m_checkItems.find(name);
    if (items == m_checkItems.end())
      return;
    for (GtkWidget* item : items->second)
      gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), state.checked);
  };
  for (const FrameCommand& command : FrameCommands())
    update(command.name, command.checkable, command.state(context));
  for (const ReadingCommand& command : ReadingCommands())
    update(command.name, command.checkable, command.state(context));
  m_updating = false;
}

// --- What the commands do -----------------------------------------------------------------

void CMainFrame::RememberReading() {
  if (m_aids != nullptr && m_view != nullptr && m_view->Exists())
    m_aids->Remember();
}

void CMainFrame::PrintPage() {
  m_view->PrintPage();
}
void CMainFrame::CopySelection() {
  m_view->CopySelection();
}
void CMainFrame::SelectAllText() {
  m_view->SelectAllText();
}
void CMainFrame::FindOnPage() {
  m_view->FindOnPage();
}
void CMainFrame::SetFontSize(int level) {
  m_view->SetFontSize(level);
}
void CMainFrame::StopLoading() {
  m_view->StopLoading();
}
void CMainFrame::RefreshPage() {
  m_view->RefreshPage();
}
void CMainFrame::GoBack() {
  m_view->GoBack();
}
void CMainFrame::GoForward() {
  m_view->GoForward();
}
void CMainFrame::GoHome() {
  m_view->GoHome();
}
void CMainFrame::ShowSearch() {
  m_view->ShowSearch();
}
void CMainFrame::ShowContents() {
  m_view->ShowContents();
}
void CMainFrame::ShowContentsMenu() {
  m_view->ShowContentsMenu(m_clickedButton);
}
void CMainFrame::ShowFontMenu() {
  m_view->ShowFontMenu(m_clickedButton);
}
void CMainFrame::ShowAbout() {
  m_view->ShowAbout();
}
void CMainFrame::PrintSetup() {
  m_busyScope([this] {
    if (m_view != nullptr && m_view->Exists())
      m_view->RunPageSetup();
  });
}
void CMainFrame::CloseBook() {
  m_closeRequested();
}
void CMainFrame::ToggleToolbar() {
  gtk_widget_set_visible(m_toolbar, !gtk_widget_get_visible(m_toolbar));
}
void CMainFrame::ToggleStatusBar() {
  gtk_widget_set_visible(m_statusBar, !gtk_widget_get_visible(m_statusBar));
}
void CMainFrame::FocusNextPane() {
  gtk_widget_child_focus(GTK_WIDGET(m_window), GTK_DIR_TAB_FORWARD);
}
void CMainFrame::FocusPreviousPane() {
  gtk_widget_child_focus(GTK_WIDGET(m_window), GTK_DIR_TAB_BACKWARD);
}

gboolean CMainFrame::OnPageButtonPress(GtkWidget*, GdkEventButton* event, gpointer self) {
  if (event->type != GDK_BUTTON_PRESS)
    return FALSE;
  auto* frame = static_cast<CMainFrame*>(self);
  if (event->button == kBackButton) {
    frame->ActivateAction("back");
    return TRUE;
  }
  if (event->button == kForwardButton) {
    frame->ActivateAction("forward");
    return TRUE;
  }
  return FALSE;
}

gboolean CMainFrame::OnPageScroll(GtkWidget*, GdkEventScroll* event, gpointer self) {
  if ((event->state & gtk_accelerator_get_default_mod_mask()) != GDK_CONTROL_MASK)
    return FALSE;
  auto* frame = static_cast<CMainFrame*>(self);
  if (event->direction == GDK_SCROLL_UP)
    frame->m_zoomScroll = -1;
  else if (event->direction == GDK_SCROLL_DOWN)
    frame->m_zoomScroll = 1;
  else if (event->direction == GDK_SCROLL_SMOOTH)
    frame->m_zoomScroll += event->delta_y;  // a touchpad's small steps add up to one
  // Away from the user enlarges, as in browsers; one size per wheel notch.
  if (frame->m_zoomScroll <= -1) {
    frame->m_zoomScroll = 0;
    frame->ActivateAction("font-grow");
  } else if (frame->m_zoomScroll >= 1) {
    frame->m_zoomScroll = 0;
    frame->ActivateAction("font-shrink");
  }
  return TRUE;
}

gboolean CMainFrame::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<CMainFrame*>(self)->m_closeRequested();
  return TRUE;  // the application destroys the window once the book has been closed
}

// --- Window operations ------------------------------------------------------------------

void CMainFrame::ShowInitially() {
  const CEBook& book = m_context.book;
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

void CMainFrame::OnExposed(GdkWindow* exposed) {
  if (m_window == nullptr || m_view == nullptr || !m_view->Exists() || exposed == nullptr)
    return;
  GdkWindow* frame = gtk_widget_get_window(GTK_WIDGET(m_window));
  // The page draws itself only when WebKit asks for it: where a closed menu or tooltip
  // uncovered it, the window's background would stay until the page changed.
  if (frame != nullptr && gdk_window_get_toplevel(exposed) == frame)
    gtk_widget_queue_draw(m_view->Widget());
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
  if (m_view != nullptr && m_view->Exists())
    g_signal_handlers_disconnect_by_data(m_view->Widget(), this);
  m_window = nullptr;
  m_checkItems.clear();
  m_fontGroup = nullptr;
  m_progress.reset();
  m_menuBar = m_toolbar = m_statusBar = m_statusMessage = nullptr;
  for (GtkWidget*& indicator : m_indicators)
    indicator = nullptr;
  gtk_widget_destroy(window);
  m_aids.reset();
  if (m_accelGroup != nullptr) {
    g_object_unref(m_accelGroup);
    m_accelGroup = nullptr;
  }
  if (m_actions != nullptr) {
    // Actions a widget still holds must never reach this frame again.
    auto disconnect = [this](const char* name) {
      GAction* action = g_action_map_lookup_action(G_ACTION_MAP(m_actions), name);
      if (action != nullptr)
        g_signal_handlers_disconnect_by_data(action, this);
    };
    for (const FrameCommand& command : FrameCommands())
      disconnect(command.name);
    for (const ReadingCommand& command : ReadingCommands())
      disconnect(command.name);
    g_object_unref(m_actions);
    m_actions = nullptr;
  }
}

// --- Status bar and cursor ----------------------------------------------------------------

void CMainFrame::SetStatusText(const std::string& text) {
  if (m_statusMessage != nullptr)
    gtk_label_set_text(GTK_LABEL(m_statusMessage), ToDisplayText(text).c_str());
}

void CMainFrame::ShowProgress(const std::string& caption, int position) {
  if (m_progress != nullptr)
    m_progress->Show(caption, position);
}

void CMainFrame::HideProgress() {
  if (m_progress != nullptr)
    m_progress->Hide();
}

void CMainFrame::SetWaitCursor(bool wait) {
  if (m_window == nullptr)
    return;
  GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(m_window));
  if (window == nullptr)
    return;
  GdkCursor* cursor =
      wait ? gdk_cursor_new_from_name(gdk_window_get_display(window), "wait") : nullptr;
  // Over the page too, whose own window would otherwise keep its pointer.
  StatusProgressBar::SetCursorEverywhere(GTK_WIDGET(m_window), cursor);
  if (cursor != nullptr)
    g_object_unref(cursor);
}

}  // namespace quire
