#include "view/find_bar.h"

#include <gdk/gdkkeysyms.h>

#include <cstdio>

namespace quire {

namespace {

// The reader's own script world: page scripts cannot see or change what runs there.
constexpr char kFindWorld[] = "quire-find";
// Wide enough for "12345 of 12345" and "No matches", so that the bar keeps its width.
constexpr int kMatchLabelChars = 14;

// Counts the matches of `text` in the page's text as the page shows it (the text a
// selection of the whole body copies, which is the text WebKit's find reads) and which of
// them is selected now: "INDEX TOTAL", INDEX 0 when the selection is none of them. The
// selection is put back as it was.
constexpr char kCountScript[] = R"(
const selection = window.getSelection();
const root = document.body || document.documentElement;
if (!root) return "0 0";
const fold = (s) => {
  s = s.replace(/\u00a0/g, " ");
  return caseSensitive !== 0 ? s : s.toLocaleLowerCase();
};
const needle = fold(text);
if (needle.length === 0) return "0 0";
const count = (haystack) => {
  let n = 0;
  for (let at = haystack.indexOf(needle); at !== -1; at = haystack.indexOf(needle, at + needle.length))
    ++n;
  return n;
};
const shown = (range) => {
  selection.removeAllRanges();
  selection.addRange(range);
  return fold(selection.toString());
};
const current = selection.rangeCount > 0 ? selection.getRangeAt(0).cloneRange() : null;
const whole = document.createRange();
whole.selectNodeContents(root);
const total = count(shown(whole));
let index = 0;
if (current !== null && !current.collapsed && fold(current.toString()) === needle &&
    root.contains(current.startContainer)) {
  const before = document.createRange();
  before.setStart(root, 0);
  before.setEnd(current.startContainer, current.startOffset);
  index = Math.min(count(shown(before)) + 1, total);
}
selection.removeAllRanges();
if (current !== null)
  selection.addRange(current);
return index + " " + total;
)";

// A new text is looked for from where the last match began, as one types it, not after
// it: WebKit's find starts after the selection.
constexpr char kCollapseScript[] =
    "const s = window.getSelection(); if (s.rangeCount > 0) s.collapseToStart();";

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

FindBar::FindBar(ReaderContext& context, WebKitWebView* view)
    : m_context(context), m_view(view), m_finder(webkit_web_view_get_find_controller(view)) {
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
  gtk_label_set_width_chars(GTK_LABEL(m_matchLabel), kMatchLabelChars);
  gtk_label_set_max_width_chars(GTK_LABEL(m_matchLabel), kMatchLabelChars);
  gtk_label_set_ellipsize(GTK_LABEL(m_matchLabel), PANGO_ELLIPSIZE_END);
  gtk_label_set_xalign(GTK_LABEL(m_matchLabel), 0.0f);
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
  CancelCount();
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
  CancelCount();
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
  CancelCount();
  if (text == nullptr || text[0] == '\0') {
    webkit_find_controller_search_finish(m_finder);
    m_mode = Mode::kNone;
    SetMatchText("");
    return;
  }
  m_mode = Mode::kFindBar;
  const uint32_t options = Options(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_caseButton)));
  webkit_web_view_evaluate_javascript(m_view, kCollapseScript, -1, kFindWorld, nullptr, nullptr,
                                      nullptr, nullptr);
  // The search marks every match; which one is selected and how many there are is
  // counted once it has answered (its own count says 1 after Next and may belong to an
  // earlier text).
  webkit_find_controller_search(m_finder, text, options, G_MAXUINT);
}

void FindBar::CountSoon() {
  if (m_mode != Mode::kFindBar || m_countSource != 0)
    return;
  // Answers that arrive together are counted once.
  m_countSource = g_idle_add(
      [](gpointer self) -> gboolean {
        auto* bar = static_cast<FindBar*>(self);
        bar->m_countSource = 0;
        bar->Count();
        return G_SOURCE_REMOVE;
      },
      this);
}

void FindBar::Count() {
  const char* text = gtk_entry_get_text(GTK_ENTRY(m_entry));
  if (m_mode != Mode::kFindBar || text == nullptr || text[0] == '\0')
    return;
  if (m_countCancel != nullptr) {
    g_cancellable_cancel(m_countCancel);
    g_object_unref(m_countCancel);
  }
  m_countCancel = g_cancellable_new();
  GVariantDict arguments;
  g_variant_dict_init(&arguments, nullptr);
  g_variant_dict_insert(&arguments, "text", "s", text);
  // The function call takes no booleans.
  g_variant_dict_insert(&arguments, "caseSensitive", "i",
                        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_caseButton)) ? 1 : 0);
  webkit_web_view_call_async_javascript_function(m_view, kCountScript, -1,
                                                 g_variant_dict_end(&arguments), kFindWorld,
                                                 nullptr, m_countCancel, OnCounted, this);
}

void FindBar::OnCounted(GObject* view, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  JSCValue* value =
      webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(view), result, &error);
  if (error != nullptr) {
    // Cancelled (the bar may be gone) or the page went away meanwhile.
    g_error_free(error);
    return;
  }
  auto* bar = static_cast<FindBar*>(self);
  char* text = jsc_value_is_string(value) ? jsc_value_to_string(value) : nullptr;
  unsigned index = 0;
  unsigned total = 0;
  if (text != nullptr && std::sscanf(text, "%u %u", &index, &total) == 2 &&
      bar->m_mode == Mode::kFindBar)
    bar->SetMatchText(MatchCountText(index, total));
  g_free(text);
  g_object_unref(value);
}

void FindBar::CancelCount() {
  if (m_countSource != 0) {
    g_source_remove(m_countSource);
    m_countSource = 0;
  }
  if (m_countCancel != nullptr) {
    g_cancellable_cancel(m_countCancel);
    g_object_unref(m_countCancel);
    m_countCancel = nullptr;
  }
}

std::string MatchCountText(unsigned index, unsigned total) {
  if (total == 0)
    return "No matches";
  if (index == 0 || index > total)
    return std::to_string(total) + (total == 1 ? " match" : " matches");
  return std::to_string(index) + " of " + std::to_string(total);
}

void FindBar::NoteNavigation(const std::string& uri, bool followedLink) {
  m_followedUri = followedLink ? uri : std::string();
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
// reaching the accelerator that stops loading, and the entry's own editing keys (Ctrl+A,
// Ctrl+C, Ctrl+V, Home ...) edit its text instead of reaching the window's commands for
// the page; keys the entry has no use for (Ctrl+F, F5, Ctrl+W) still reach them.
gboolean FindBar::OnToplevelKeyPress(GtkWidget* toplevel, GdkEventKey* event, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (!bar->IsOpen())
    return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(toplevel));
  if (focus == nullptr ||
      (focus != bar->m_revealer && !gtk_widget_is_ancestor(focus, bar->m_revealer)))
    return FALSE;
  if (event->keyval == GDK_KEY_Escape) {
    bar->Close();
    return TRUE;
  }
  if (!GTK_IS_EDITABLE(focus))
    return FALSE;
  return gtk_window_propagate_key_event(GTK_WINDOW(toplevel), event);
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
  } else {
    bar->CountSoon();
  }
}

void FindBar::OnFoundText(WebKitFindController*, guint, gpointer self) {
  static_cast<FindBar*>(self)->CountSoon();
}

void FindBar::OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
  auto* bar = static_cast<FindBar*>(self);
  if (event == WEBKIT_LOAD_COMMITTED) {
    const char* uri = webkit_web_view_get_uri(view);
    const std::string now = uri != nullptr ? uri : "";
    const bool followed =
        !bar->m_followedUri.empty() && FileUriToPath(bar->m_followedUri) == FileUriToPath(now);
    bar->m_followedUri.clear();
    bar->m_pendingHighlight =
        HighlightForNavigation(bar->m_context, bar->m_committedUri, now,
                               followed ? PageArrival::kFollowedLink : PageArrival::kOther);
    bar->m_committedUri = now;
    if (bar->m_mode == Mode::kHighlight) {
      webkit_find_controller_search_finish(bar->m_finder);
      bar->m_mode = Mode::kNone;
    }
    if (bar->m_mode == Mode::kFindBar) {
      bar->CancelCount();
      bar->SetMatchText("");
    }
  } else if (event == WEBKIT_LOAD_FINISHED) {
    if (bar->IsOpen()) {
      bar->SearchEntryText();
    } else if (bar->m_pendingHighlight) {
      const SearchHighlight highlight = *bar->m_pendingHighlight;
      bar->m_pendingHighlight.reset();
      bar->m_highlightedPath = FileUriToPath(bar->m_committedUri);
      bar->HighlightWords(highlight);
    } else if (!bar->m_highlightedPath.empty() &&
               bar->m_highlightedPath == FileUriToPath(bar->m_committedUri)) {
      // Back or Forward restores the page as it was left, the found word still selected.
      webkit_web_view_evaluate_javascript(view, "window.getSelection().removeAllRanges();", -1,
                                          nullptr, nullptr, nullptr, nullptr, nullptr);
      bar->m_highlightedPath.clear();
    }
  }
}

}  // namespace quire
