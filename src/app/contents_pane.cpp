#include "app/contents_pane.h"

#include <gdk/gdkkeysyms.h>

#include <utility>

#include "session/display_text.h"

namespace quire {

namespace {

enum Column { kLabelColumn, kNodeColumn, kColumnCount };

constexpr int kMinimumWidth = 160;

// Labels and typed words compared without case, as GLib folds Unicode text; a book's
// Windows-1252 titles are read as such first.
std::string Fold(std::string_view text) {
  bool ascii = true;
  for (char c : text)
    ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    std::string lowered(text);
    for (char& c : lowered)
      c = g_ascii_tolower(c);
    return lowered;
  }
  const std::string display = ToDisplayText(text);
  gchar* folded = g_utf8_casefold(display.data(), static_cast<gssize>(display.size()));
  std::string out = folded != nullptr ? folded : "";
  g_free(folded);
  return out;
}

// A label on one line: a title's line breaks and tabs would make a row taller than the
// others, which all have the first row's height.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t')
      c = ' ';
  }
  return text;
}

void SetAccessibleName(GtkWidget* widget, const char* name) {
  if (AtkObject* accessible = gtk_widget_get_accessible(widget))
    atk_object_set_name(accessible, name);
}

}  // namespace

ContentsPane::ContentsPane(ReaderContext& context, OpenPage open, std::function<void()> leave)
    : m_context(context), m_open(std::move(open)), m_leave(std::move(leave)) {
  m_box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
  g_object_ref_sink(m_box);
  gtk_container_set_border_width(GTK_CONTAINER(m_box), 4);
  gtk_widget_set_size_request(m_box, kMinimumWidth, -1);

  m_filter = gtk_search_entry_new();
  gtk_entry_set_placeholder_text(GTK_ENTRY(m_filter), "Filter the contents");
  SetAccessibleName(m_filter, "Filter contents");
  g_signal_connect_swapped(m_filter, "search-changed",
                           G_CALLBACK(+[](ContentsPane* pane) { pane->ApplyFilter(); }), this);
  g_signal_connect_swapped(m_filter, "activate", G_CALLBACK(+[](ContentsPane* pane) {
                             pane->ApplyFilter();
                             pane->OpenNode(pane->FirstShownPage());
                           }),
                           this);
  // Esc empties the box, and in an empty box goes back to the page.
  g_signal_connect_swapped(m_filter, "stop-search", G_CALLBACK(+[](ContentsPane* pane) {
                             if (gtk_entry_get_text_length(GTK_ENTRY(pane->m_filter)) > 0)
                               gtk_entry_set_text(GTK_ENTRY(pane->m_filter), "");
                             else
                               pane->m_leave();
                           }),
                           this);
  g_signal_connect(m_filter, "key-press-event", G_CALLBACK(OnFilterKeyPress), this);
  g_signal_connect_swapped(m_filter, "map", G_CALLBACK(+[](ContentsPane* pane) {
                             if (pane->m_focusWhenMapped)
                               gtk_widget_grab_focus(pane->m_filter);
                             pane->m_focusWhenMapped = false;
                           }),
                           this);
  gtk_box_pack_start(GTK_BOX(m_box), m_filter, FALSE, FALSE, 0);

  m_view = gtk_tree_view_new();
  SetAccessibleName(m_view, "Contents");
  GtkTreeView* view = GTK_TREE_VIEW(m_view);
  gtk_tree_view_set_headers_visible(view, FALSE);
  gtk_tree_view_set_enable_search(view, FALSE);
  gtk_tree_view_set_activate_on_single_click(view, TRUE);
  gtk_tree_view_set_tooltip_column(view, kLabelColumn);
  GtkCellRenderer* text = gtk_cell_renderer_text_new();
  g_object_set(text, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
  GtkTreeViewColumn* column =
      gtk_tree_view_column_new_with_attributes("", text, "text", kLabelColumn, nullptr);
  // Rows of one height let the view skip measuring each of many thousand rows.
  gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_expand(column, TRUE);
  gtk_tree_view_append_column(view, column);
  gtk_tree_view_set_fixed_height_mode(view, TRUE);
  g_signal_connect(m_view, "row-activated", G_CALLBACK(OnRowActivated), this);
  g_signal_connect(m_view, "key-press-event", G_CALLBACK(OnTreeKeyPress), this);

  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scroller), m_view);
  gtk_box_pack_start(GTK_BOX(m_box), scroller, TRUE, TRUE, 0);

  // Held, so that they can be let go of after the window destroyed them.
  g_object_ref(m_filter);
  g_object_ref(m_view);
  // Hidden until asked for: the window's show-all passes it by.
  gtk_widget_show_all(m_filter);
  gtk_widget_show_all(scroller);
  gtk_widget_set_no_show_all(m_box, TRUE);
}

ContentsPane::~ContentsPane() {
  g_signal_handlers_disconnect_by_data(m_view, this);
  g_signal_handlers_disconnect_by_data(m_filter, this);
  g_object_unref(m_view);
  g_object_unref(m_filter);
  if (m_store != nullptr)
    g_object_unref(m_store);
  g_object_unref(m_box);
}

bool ContentsPane::Visible() const {
  return gtk_widget_get_visible(m_box) != FALSE;
}

void ContentsPane::SetVisible(bool visible) {
  if (!visible) {
    m_focusWhenMapped = false;
    gtk_widget_hide(m_box);
    return;
  }
  if (!m_built)
    Build();
  gtk_widget_show(m_box);
  ShowSelection();
}

void ContentsPane::FocusFilter() {
  // A pane just shown is put on screen at the next layout; a key released meanwhile would
  // reach a box that is not there yet.
  m_focusWhenMapped = !gtk_widget_get_mapped(m_filter);
  if (!m_focusWhenMapped)
    gtk_widget_grab_focus(m_filter);
}

void ContentsPane::Build() {
  m_built = true;
  m_tree = ContentsTree(BookContentsItems(m_context), Fold);
  m_shown = m_tree.Filter(m_query);
  // A book without folders is a plain list: no room kept for the folders' arrows.
  bool folders = false;
  for (const ContentsNode& node : m_tree.Nodes())
    folders = folders || node.folder;
  gtk_tree_view_set_show_expanders(GTK_TREE_VIEW(m_view), folders);
  Fill();
}

void ContentsPane::Fill() {
  // A new list each time, given to the view whole: taking rows out of a long list one by
  // one, or filtering it in place, costs the square of its length.
  m_iters.assign(m_tree.Nodes().size(), GtkTreeIter{});
  GtkTreeStore* store = gtk_tree_store_new(kColumnCount, G_TYPE_STRING, G_TYPE_INT);
  InsertNodes(store, m_tree.Roots(), nullptr);
  gtk_tree_view_set_model(GTK_TREE_VIEW(m_view), GTK_TREE_MODEL(store));
  if (m_store != nullptr)
    g_object_unref(m_store);
  m_store = store;
}

void ContentsPane::InsertNodes(GtkTreeStore* store, const std::vector<int>& nodes,
                               GtkTreeIter* parent) {
  // Last first, each at the front: the store walks its list of children to find a later
  // place, which would make a long list cost the square of its length.
  for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
    if (!m_shown[*node])
      continue;
    const ContentsNode& entry = m_tree.Nodes()[*node];
    GtkTreeIter* iter = &m_iters[*node];
    gtk_tree_store_insert_with_values(store, iter, parent, 0, kLabelColumn,
                                      OneLine(ToDisplayText(entry.label)).c_str(), kNodeColumn,
                                      *node, -1);
    InsertNodes(store, entry.children, iter);
  }
}

void ContentsPane::ApplyFilter() {
  m_query = gtk_entry_get_text(GTK_ENTRY(m_filter));
  if (!m_built)
    return;
  std::vector<char> shown = m_tree.Filter(m_query);
  if (shown == m_shown)
    return;
  m_shown = std::move(shown);
  Fill();
  bool blank = true;
  for (char ch : m_query)
    blank = blank && (ch == ' ' || ch == '\t');
  if (!blank)
    gtk_tree_view_expand_all(GTK_TREE_VIEW(m_view));
  ShowSelection();
}

void ContentsPane::SelectPage(const std::string& name) {
  m_page = name;
  if (m_built && Visible())
    ShowSelection();
}

void ContentsPane::ShowSelection() {
  if (!m_built)
    return;
  GtkTreeView* view = GTK_TREE_VIEW(m_view);
  GtkTreeSelection* selection = gtk_tree_view_get_selection(view);
  const int node = m_page.empty() ? -1 : m_tree.NodeOfPage(m_page);
  if (node < 0 || !m_shown[node]) {
    gtk_tree_selection_unselect_all(selection);
    return;
  }
  GtkTreePath* path = gtk_tree_model_get_path(GTK_TREE_MODEL(m_store), &m_iters[node]);
  if (gtk_tree_path_get_depth(path) > 1) {
    GtkTreePath* folder = gtk_tree_path_copy(path);
    gtk_tree_path_up(folder);
    gtk_tree_view_expand_to_path(view, folder);
    gtk_tree_path_free(folder);
  }
  gtk_tree_view_set_cursor(view, path, nullptr, FALSE);
  gtk_tree_view_scroll_to_cell(view, path, nullptr, FALSE, 0, 0);
  gtk_tree_path_free(path);
}

int ContentsPane::FirstShownPage() const {
  std::vector<int> pending(m_tree.Roots().rbegin(), m_tree.Roots().rend());
  while (!pending.empty()) {
    const int node = pending.back();
    pending.pop_back();
    if (!m_shown[node])
      continue;
    const ContentsNode& entry = m_tree.Nodes()[node];
    if (!entry.name.empty())
      return node;
    pending.insert(pending.end(), entry.children.rbegin(), entry.children.rend());
  }
  return -1;
}

void ContentsPane::OpenNode(int node) {
  if (node < 0 || static_cast<size_t>(node) >= m_tree.Nodes().size())
    return;
  const std::string name = m_tree.Nodes()[node].name;
  if (!name.empty())
    m_open(name);
}

void ContentsPane::OnRowActivated(GtkTreeView* view, GtkTreePath* path, GtkTreeViewColumn*,
                                  gpointer selfPointer) {
  auto* self = static_cast<ContentsPane*>(selfPointer);
  GtkTreeIter iter;
  GtkTreeModel* model = GTK_TREE_MODEL(self->m_store);
  if (model == nullptr || !gtk_tree_model_get_iter(model, &iter, path))
    return;
  int node = -1;
  gtk_tree_model_get(model, &iter, kNodeColumn, &node, -1);
  if (node < 0)
    return;
  if (!self->m_tree.Nodes()[node].name.empty()) {
    self->OpenNode(node);
  } else if (gtk_tree_view_row_expanded(view, path)) {
    gtk_tree_view_collapse_row(view, path);
  } else {
    gtk_tree_view_expand_row(view, path, FALSE);
  }
}

gboolean ContentsPane::OnTreeKeyPress(GtkWidget*, GdkEventKey* event, gpointer selfPointer) {
  auto* self = static_cast<ContentsPane*>(selfPointer);
  // Typing over the list goes to the filter box.
  const gunichar typed = gdk_keyval_to_unicode(event->keyval);
  if (typed == 0 || !g_unichar_isprint(typed) ||
      (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) != 0)
    return FALSE;
  return gtk_search_entry_handle_event(GTK_SEARCH_ENTRY(self->m_filter),
                                       reinterpret_cast<GdkEvent*>(event));
}

gboolean ContentsPane::OnFilterKeyPress(GtkWidget*, GdkEventKey* event, gpointer selfPointer) {
  auto* self = static_cast<ContentsPane*>(selfPointer);
  if (event->keyval != GDK_KEY_Down && event->keyval != GDK_KEY_KP_Down)
    return FALSE;
  // Down goes on into the list, to the entry selected or else the first.
  GtkTreeView* view = GTK_TREE_VIEW(self->m_view);
  if (self->m_store == nullptr ||
      gtk_tree_model_iter_n_children(GTK_TREE_MODEL(self->m_store), nullptr) == 0)
    return TRUE;
  if (gtk_tree_selection_count_selected_rows(gtk_tree_view_get_selection(view)) == 0) {
    GtkTreePath* first = gtk_tree_path_new_first();
    gtk_tree_view_set_cursor(view, first, nullptr, FALSE);
    gtk_tree_path_free(first);
  }
  gtk_widget_grab_focus(self->m_view);
  return TRUE;
}

}  // namespace quire
