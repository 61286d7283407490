#include "app/search_box.h"

#include <utility>

#include "app/search_dialog.h"

namespace quire {

namespace {

// Wide enough for a word or two; the box takes whatever room the toolbar has left, so it
// stays on the toolbar at the default window size with button texts.
constexpr int kWidthChars = 8;
constexpr char kProxyId[] = "quire-search-box";
constexpr char kProxyText[] = "_Search this E-Book...";

}  // namespace

SearchBox::SearchBox(std::function<void(const std::string&)> search,
                     std::function<void()> openDialog, std::function<void()> leave)
    : m_search(std::move(search)), m_openDialog(std::move(openDialog)), m_leave(std::move(leave)) {
  m_item = gtk_tool_item_new();
  g_object_ref_sink(m_item);
  m_entry = gtk_search_entry_new();
  gtk_entry_set_max_length(GTK_ENTRY(m_entry), kSearchEntryMaxLength);
  gtk_entry_set_width_chars(GTK_ENTRY(m_entry), kWidthChars);
  gtk_entry_set_placeholder_text(GTK_ENTRY(m_entry), "Search");
  gtk_widget_set_tooltip_text(m_entry, "Search this E-Book (Ctrl+K)");
  if (AtkObject* accessible = gtk_widget_get_accessible(m_entry))
    atk_object_set_name(accessible, "Search this E-Book");
  gtk_widget_set_valign(m_entry, GTK_ALIGN_CENTER);
  gtk_widget_set_margin_start(m_entry, 6);
  gtk_widget_set_margin_end(m_entry, 6);
  gtk_container_add(GTK_CONTAINER(m_item), m_entry);
  gtk_tool_item_set_expand(m_item, TRUE);
  g_object_ref(m_entry);  // let go of after the window destroyed it

  g_signal_connect_swapped(m_entry, "activate", G_CALLBACK(+[](SearchBox* box) {
                             const std::string words = gtk_entry_get_text(GTK_ENTRY(box->m_entry));
                             // As the dialog's OK button: nothing to search for, nothing done.
                             if (!words.empty())
                               box->m_search(words);
                           }),
                           this);
  g_signal_connect_swapped(m_entry, "stop-search",
                           G_CALLBACK(+[](SearchBox* box) { box->m_leave(); }), this);
  // Without room on the toolbar, the overflow menu offers the dialog in its place.
  g_signal_connect(m_item, "create-menu-proxy",
                   G_CALLBACK(+[](GtkToolItem* item, gpointer selfPointer) -> gboolean {
                     GtkWidget* proxy = gtk_menu_item_new_with_mnemonic(kProxyText);
                     g_signal_connect_swapped(
                         proxy, "activate",
                         G_CALLBACK(+[](SearchBox* box) { box->m_openDialog(); }), selfPointer);
                     gtk_tool_item_set_proxy_menu_item(item, kProxyId, proxy);
                     return TRUE;
                   }),
                   this);
}

SearchBox::~SearchBox() {
  g_signal_handlers_disconnect_by_data(m_entry, this);
  g_signal_handlers_disconnect_by_data(m_item, this);
  // A proxy made meanwhile holds this object too.
  if (GtkWidget* proxy = gtk_tool_item_get_proxy_menu_item(m_item, kProxyId))
    g_signal_handlers_disconnect_by_data(proxy, this);
  g_object_unref(m_entry);
  g_object_unref(m_item);
}

void SearchBox::AddTo(GtkToolbar* toolbar) {
  gtk_toolbar_insert(toolbar, m_item, -1);
}

bool SearchBox::Showing() const {
  return gtk_widget_get_mapped(m_entry) != FALSE;
}

void SearchBox::Focus() {
  gtk_widget_grab_focus(m_entry);
  gtk_editable_select_region(GTK_EDITABLE(m_entry), 0, -1);
}

}  // namespace quire
