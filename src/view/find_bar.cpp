#include "view/find_bar.h"

#include <gdk/gdkkeysyms.h>

namespace quire {

namespace {

// The bar draws the theme's own window background and text colours, so it reads the same
// over any page, in light and dark themes alike.
constexpr char kBarStyle[] =
    ".quire-find-bar { background-color: @theme_bg_color; color: @theme_fg_color;"
    " border: 1px solid @borders; border-top-width: 0; border-right-width: 0;"
    " border-bottom-left-radius: 4px; }";

void StyleAsBar(GtkWidget* bar) {
  GtkStyleContext* style = gtk_widget_get_style_context(bar);
  gtk_style_context_add_class(style, "quire-find-bar");
  GtkCssProvider* css = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css, kBarStyle, -1, nullptr);
  gtk_style_context_add_provider(style, GTK_STYLE_PROVIDER(css),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(css);
}

GtkWidget* IconButton(const char* icon, const char* tooltip) {
  GtkWidget* button = gtk_button_new_from_icon_name(icon, GTK_ICON_SIZE_BUTTON);
  gtk_widget_set_tooltip_text(button, tooltip);
  gtk_button_set_relief(GTK_BUTTON(button), GTK_RELIEF_NONE);
  gtk_widget_set_can_focus(button, FALSE);
  AtkObject* accessible = gtk_widget_get_accessible(button);
  if (accessible != nullptr)
    atk_object_set_name(accessible, tooltip);
  return button;
}

}  // namespace

FindBar::FindBar(WebKitWebView* view)
    : m_view(view), m_finder(webkit_web_view_get_find_controller(view)) {
  // The view disposes of its widgets and controller when the window goes, possibly before
  // this object; the references keep them valid until then.
  g_object_ref(m_view);
  g_object_ref(m_finder);
  m_revealer = gtk_revealer_new();
  g_object_ref_sink(m_revealer);
  gtk_revealer_set_transition_type(GTK_REVEALER(m_revealer),
                                   GTK_REVEALER_TRANSITION_TYPE_SLIDE_DOWN);
  gtk_revealer_set_transition_duration(GTK_REVEALER(m_revealer), 0);

  GtkWidget* bar = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 4);
  gtk_container_set_border_width(GTK_CONTAINER(bar), 3);
  StyleAsBar(bar);
  GtkWidget* label = gtk_label_new_with_mnemonic("Fi_nd:");
  m_entry = gtk_search_entry_new();
  g_object_ref(m_entry);
  gtk_entry_set_width_chars(GTK_ENTRY(m_entry), 30);
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), m_entry);
  GtkWidget* previous = IconButton("go-up-symbolic", "Previous");
  GtkWidget* next = IconButton("go-down-symbolic", "Next");
  m_caseButton = gtk_check_button_new_with_mnemonic("Match _case");
  m_matchLabel = gtk_label_new("");
  GtkWidget* close = IconButton("window-close-symbolic", "Close");
  gtk_box_pack_start(GTK_BOX(bar), label, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar), m_entry, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar), previous, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar), next, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(bar), m_caseButton, FALSE, FALSE, 6);
  gtk_box_pack_start(GTK_BOX(bar), m_matchLabel, FALSE, FALSE, 6);
  gtk_box_pack_end(GTK_BOX(bar), close, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(m_revealer), bar);
  gtk_widget_show_all(bar);

  g_signal_connect(m_entry, "changed", G_CALLBACK(OnEntryChanged), this);
  g_signal_connect(m_entry, "activate", G_CALLBACK(OnEntryActivate), this);
  g_signal_connect(m_entry, "key-press-event", G_CALLBACK(OnEntryKeyPress), this);
  g_signal_connect(previous, "clicked", G_CALLBACK(OnPrevious), this);
  g_signal_connect(next, "clicked", G_CALLBACK(OnNext), this);
  g_signal_connect(close, "clicked", G_CALLBACK(OnClose), this);
  g_signal_connect(m_caseButton, "toggled", G_CALLBACK(OnCaseToggled), this);
  g_signal_connect(m_revealer, "hierarchy-changed", G_CALLBACK(OnHierarchyChanged), this);
  m_finderHandlers = {
      g_signal_connect(m_finder, "failed-to-find-text", G_CALLBACK(OnFailedToFindText), this),
      g_signal_connect(m_finder, "found-text", G_CALLBACK(OnFoundText), this),
  };
  m_viewHandlers = {g_signal_connect(m_view, "load-changed", G_CALLBACK(OnLoadChanged), this)};
}

FindBar::~FindBar() {
  // Handlers of objects that were disposed meanwhile are gone already.
  const auto disconnect = [](gpointer instance, gulong handler) {
    if (instance != nullptr && handler != 0 && g_signal_handler_is_connected(instance, handler))
      g_signal_handler_disconnect(instance, handler);
  };
  for (gulong handler : m_finderHandlers)
    disconnect(m_finder, handler);
  for (gulong handler : m_viewHandlers)
    disconnect(m_view, handler);
  if (m_toplevel != nullptr)
    g_object_remove_weak_pointer(G_OBJECT(m_toplevel), reinterpret_cast<gpointer*>(&m_toplevel));
  disconnect(m_toplevel, m_toplevelHandler);
  g_signal_handlers_disconnect_by_data(m_revealer, this);
  g_signal_handlers_disconnect_by_data(m_entry, this);
  g_object_unref(m_entry);
  g_object_unref(m_revealer);
  g_object_unref(m_finder);
  g_object_unref(m_view);
}

void FindBar::Open() {
  if (m_mode == Mode::kHighlight) {
    webkit_find_controller_search_finish(m_finder);
    m_mode = Mode::kNone;
  }
  gtk_widget_show(m_revealer);
  gtk_revealer_set_reveal_child(GTK_REVEALER(m_revealer), TRUE);
  gtk_widget_grab_focus(m_entry);
  gtk_editable_select_region(GTK_EDITABLE(m_entry), 0, -1);
  SearchEntryText();
}

void FindBar::Close() {
  const bool hadFocus = IsOpen();
  gtk_revealer_set_reveal_child(GTK_REVEALER(m_revealer), FALSE);
  gtk_widget_hide(m_revealer);
  webkit_find_controller_search_finish(m_finder);
  m_mode = Mode::kNone;
  SetMatchText("");
  if (hadFocus)
    gtk_widget_grab_focus(GTK_WIDGET(m_view));
}

bool FindBar::IsOpen() const {
  return gtk_widget_get_visible(m_revealer) &&
         gtk_revealer_get_reveal_child(GTK_REVEALER(m_revealer));
}

std::string FindBar::MatchText() const {
  return m_matchText;
}

uint32_t FindBar::Options(bool caseSensitive) const {
  uint32_t options = WEBKIT_FIND_OPTIONS_WRAP_AROUND;
  if (!caseSensitive)
    options |= WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE;
  return options;
}

void FindBar::SearchEntryText() {
  const char* text = gtk_entry_get_text(GTK_ENTRY(m_entry));
  if (text == nullptr || text[0] == '\0') {
    webkit_find_controller_search_finish(m_finder);
    m_mode = Mode::kNone;
    SetMatchText("");
    return;
  }
  m_mode = Mode::kFindBar;
  const uint32_t options = Options(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_caseButton)));
  // The search marks every match and reports their number; a separate count would clear
  // the marks again.
  webkit_find_controller_search(m_finder, text, options, G_MAXUINT);
}

void FindBar::HighlightWords(const SearchHighlight& highlight) {
  if (IsOpen())
    return;  // the user's own search on the page comes first
  m_highlight = highlight;
  m_highlightWord = 0;
  m_mode = Mode::kHighlight;
  HighlightNextWord();
}

void FindBar::HighlightNextWord() {
  if (m_highlightWord >= m_highlight.words.size()) {
    webkit_find_controller_search_finish(m_finder);
    m_mode = Mode::kNone;
    return;
  }
  webkit_find_controller_search(m_finder, m_highlight.words[m_highlightWord].c_str(),
                                Options(m_highlight.caseSensitive), G_MAXUINT);
}

void FindBar::SetMatchText(const std::string& text) {
  m_matchText = text;
  gtk_label_set_text(GTK_LABEL(m_matchLabel), text.c_str());
}

void FindBar::OnEntryChanged(GtkEditable*, gpointer self) {
  static_cast<FindBar*>(self)->SearchEntryText();
}

void FindBar::OnEntryActivate(GtkEntry*, gpointer self) {
  OnNext(nullptr, self);
}

gboolean FindBar::OnEntryKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
  const bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter;
  if (enter && (event->state & GDK_SHIFT_MASK) != 0) {
    OnPrevious(nullptr, self);
    return TRUE;
  }
  return FALSE;
}

// Runs before the window's own key handling, so that Esc closes the bar instead of
// reaching the accelerator that stops loading.
gboolean FindBar::OnToplevelKeyPress(GtkWidget* toplevel, GdkEventKey* event, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (event->keyval != GDK_KEY_Escape || !bar->IsOpen())
    return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
  if (focus == nullptr ||
      (focus != bar->m_revealer && !gtk_widget_is_ancestor(focus, bar->m_revealer)))
    return FALSE;
  bar->Close();
  return TRUE;
}

void FindBar::OnPrevious(GtkButton*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (bar->m_mode != Mode::kFindBar) {
    bar->SearchEntryText();
    return;
  }
  webkit_find_controller_search_previous(bar->m_finder);
}

void FindBar::OnNext(GtkButton*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (bar->m_mode != Mode::kFindBar) {
    bar->SearchEntryText();
    return;
  }
  webkit_find_controller_search_next(bar->m_finder);
}

void FindBar::OnClose(GtkButton*, gpointer self) {
  static_cast<FindBar*>(self)->Close();
}

void FindBar::OnCaseToggled(GtkToggleButton*, gpointer self) {
  static_cast<FindBar*>(self)->SearchEntryText();
}

void FindBar::OnHierarchyChanged(GtkWidget* widget, GtkWidget*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  if (!gtk_widget_is_toplevel(toplevel))
    toplevel = nullptr;
  if (toplevel == bar->m_toplevel)
    return;
  if (bar->m_toplevel != nullptr) {
    if (bar->m_toplevelHandler != 0 &&
        g_signal_handler_is_connected(bar->m_toplevel, bar->m_toplevelHandler))
      g_signal_handler_disconnect(bar->m_toplevel, bar->m_toplevelHandler);
    g_object_remove_weak_pointer(G_OBJECT(bar->m_toplevel),
                                 reinterpret_cast<gpointer*>(&bar->m_toplevel));
  }
  bar->m_toplevel = toplevel;
  if (toplevel != nullptr)
    g_object_add_weak_pointer(G_OBJECT(toplevel), reinterpret_cast<gpointer*>(&bar->m_toplevel));
  bar->m_toplevelHandler =
      toplevel == nullptr
          ? 0
          : g_signal_connect(toplevel, "key-press-event", G_CALLBACK(OnToplevelKeyPress), bar);
}

void FindBar::OnFailedToFindText(WebKitFindController*, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (bar->m_mode == Mode::kHighlight) {
    ++bar->m_highlightWord;
    bar->HighlightNextWord();
  } else if (bar->m_mode == Mode::kFindBar) {
    bar->SetMatchText("No matches");
  }
}

void FindBar::OnFoundText(WebKitFindController*, guint count, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (bar->m_mode != Mode::kFindBar)
    return;
  if (count == 0)
    bar->SetMatchText("No matches");
  else if (count == 1)
    bar->SetMatchText("1 match");
  else
    bar->SetMatchText(std::to_string(count) + " matches");
}

void FindBar::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (event == WEBKIT_LOAD_COMMITTED) {
    const char* uri = webkit_web_view_get_uri(view);
    const std::string now = uri != nullptr ? uri : "";
    bar->m_pendingHighlight = HighlightForNavigation(bar->m_committedUri, now);
    bar->m_committedUri = now;
    if (bar->m_mode == Mode::kHighlight) {
      webkit_find_controller_search_finish(bar->m_finder);
      bar->m_mode = Mode::kNone;
    }
    if (bar->m_mode == Mode::kFindBar)
      bar->SetMatchText("");
  } else if (event == WEBKIT_LOAD_FINISHED) {
    if (bar->IsOpen()) {
      bar->SearchEntryText();
    } else if (bar->m_pendingHighlight) {
      const SearchHighlight highlight = *bar->m_pendingHighlight;
      bar->m_pendingHighlight.reset();
      bar->HighlightWords(highlight);
    }
  }
}

}  // namespace quire
