#include "app/bookmarks_menu.h"

#include <utility>

#include "session/display_text.h"
#include "session/frame_commands.h"
#include "session/reading_commands.h"

namespace quire {

namespace {

constexpr char kIndexKey[] = "quire-bookmark";
constexpr char kNoBookmarks[] = "(No Bookmarks)";
constexpr int kLabelChars = 60;

size_t IndexOf(gpointer item) {
  return static_cast<size_t>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), kIndexKey)) - 1);
}

}  // namespace

BookmarksMenu::BookmarksMenu(Act open, Act remove)
    : m_open(std::move(open)), m_remove(std::move(remove)) {}

BookmarksMenu::~BookmarksMenu() {
  Forget();
}

void BookmarksMenu::Build(GtkMenuShell* menu, GtkWidget* addItem, GtkWidget* forgetItem) {
  Forget();
  m_menu = menu;
  g_object_add_weak_pointer(G_OBJECT(m_menu), reinterpret_cast<gpointer*>(&m_menu));
  gtk_menu_shell_append(menu, addItem);
  m_removeItem = gtk_menu_item_new_with_mnemonic(MnemonicToGtk(kRemoveBookmarkMenuText).c_str());
  g_object_ref_sink(m_removeItem);
  m_removeMenu = gtk_menu_new();
  gtk_menu_item_set_submenu(GTK_MENU_ITEM(m_removeItem), m_removeMenu);
  gtk_menu_shell_append(menu, m_removeItem);
  gtk_menu_shell_append(menu, gtk_separator_menu_item_new());
  m_listEnd = gtk_separator_menu_item_new();
  g_object_ref_sink(m_listEnd);
  gtk_menu_shell_append(menu, m_listEnd);
  gtk_menu_shell_append(menu, forgetItem);
  Show({});
}

GtkWidget* BookmarksMenu::NewItem(const Bookmark& bookmark) {
  const std::string& shown = bookmark.title.empty() ? bookmark.place.name : bookmark.title;
  // A plain label: a title's '_' is no mnemonic.
  GtkWidget* item = gtk_menu_item_new_with_label(ToDisplayText(shown).c_str());
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(item));
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_label_set_max_width_chars(GTK_LABEL(label), kLabelChars);
  std::string address = bookmark.place.name;
  if (!bookmark.place.fragment.empty())
    address += "#" + bookmark.place.fragment;
  gtk_widget_set_tooltip_text(item, ToDisplayText(address).c_str());
  return item;
}

void BookmarksMenu::Show(const std::vector<Bookmark>& bookmarks) {
  if (m_menu == nullptr)
    return;
  Clear();
  GList* children = gtk_container_get_children(GTK_CONTAINER(m_menu));
  int position = g_list_index(children, m_listEnd);
  g_list_free(children);
  auto add = [this](GtkWidget* item, size_t index, void (*chosen)(GtkMenuItem*, gpointer)) {
    g_object_set_data(G_OBJECT(item), kIndexKey, GINT_TO_POINTER(static_cast<int>(index) + 1));
    g_signal_connect(item, "activate", G_CALLBACK(chosen), this);
    gtk_widget_show(item);
    // Held, so that a menu the window destroyed is let go of safely.
    m_listed.push_back(GTK_WIDGET(g_object_ref(item)));
  };
  for (size_t i = 0; i < bookmarks.size(); ++i) {
    GtkWidget* item = NewItem(bookmarks[i]);
    gtk_menu_shell_insert(m_menu, item, position++);
    add(
        item, i, +[](GtkMenuItem* chosen, gpointer self) {
          static_cast<BookmarksMenu*>(self)->m_open(IndexOf(chosen));
        });
    GtkWidget* removal = NewItem(bookmarks[i]);
    gtk_menu_shell_append(GTK_MENU_SHELL(m_removeMenu), removal);
    add(
        removal, i, +[](GtkMenuItem* chosen, gpointer self) {
          static_cast<BookmarksMenu*>(self)->m_remove(IndexOf(chosen));
        });
  }
  if (bookmarks.empty()) {
    GtkWidget* none = gtk_menu_item_new_with_label(kNoBookmarks);
    gtk_widget_set_sensitive(none, FALSE);
    gtk_menu_shell_insert(m_menu, none, position);
    gtk_widget_show(none);
    m_listed.push_back(GTK_WIDGET(g_object_ref(none)));
  }
  gtk_widget_set_sensitive(m_removeItem, !bookmarks.empty());
}

void BookmarksMenu::Clear() {
  for (GtkWidget* item : m_listed) {
    g_signal_handlers_disconnect_by_data(item, this);
    gtk_widget_destroy(item);
    g_object_unref(item);
  }
  m_listed.clear();
}

void BookmarksMenu::Forget() {
  Clear();
  if (m_menu != nullptr)
    g_object_remove_weak_pointer(G_OBJECT(m_menu), reinterpret_cast<gpointer*>(&m_menu));
  if (m_removeItem != nullptr)
    g_object_unref(m_removeItem);
  if (m_listEnd != nullptr)
    g_object_unref(m_listEnd);
  m_menu = nullptr;
  m_removeItem = m_removeMenu = m_listEnd = nullptr;
}

}  // namespace quire
