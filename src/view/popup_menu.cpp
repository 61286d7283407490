#include "view/popup_menu.h"

#include "session/display_text.h"
#include "session/frame_commands.h"

namespace quire {

namespace {

struct MenuRun {
  GMainLoop* loop = nullptr;
  int chosen = 0;
};

void OnItemActivated(GtkMenuItem* item, gpointer data) {
  auto* run = static_cast<MenuRun*>(data);
  // A radio item turned off by the choice of another one is not the choice.
  if (GTK_IS_RADIO_MENU_ITEM(item) && !gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item)))
    return;
  run->chosen = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "quire-item-id"));
}

// The menu closes before the chosen item is activated, within the same dispatch, so the
// loop returns with the choice already made.
void OnMenuDeactivated(GtkMenuShell*, gpointer data) {
  auto* run = static_cast<MenuRun*>(data);
  if (g_main_loop_is_running(run->loop))
    g_main_loop_quit(run->loop);
}

// A button press on `widget`'s window by the seat's pointer, now.
GdkEvent* NewTriggerEvent(GtkWidget* widget) {
  if (widget == nullptr || gtk_widget_get_window(widget) == nullptr)
    return nullptr;
  GdkWindow* window = gtk_widget_get_window(widget);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  GdkDevice* pointer = seat != nullptr ? gdk_seat_get_pointer(seat) : nullptr;
  if (pointer == nullptr)
    return nullptr;
  GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
  event->button.window = GDK_WINDOW(g_object_ref(window));
  event->button.send_event = TRUE;
  event->button.time = GDK_CURRENT_TIME;
  event->button.button = GDK_BUTTON_PRIMARY;
  gdk_event_set_device(event, pointer);
  double x = 0;
  double y = 0;
  gdk_window_get_device_position_double(window, pointer, &x, &y, nullptr);
  event->button.x = x;
  event->button.y = y;
  return event;
}

}  // namespace

int RunPopupMenu(const std::vector<PopupItem>& items, GtkWidget* owner, GtkWidget* anchor,
                 const GdkEvent* trigger) {
  GtkWidget* menu = gtk_menu_new();
  if (owner != nullptr)
    gtk_menu_attach_to_widget(GTK_MENU(menu), owner, nullptr);
  MenuRun run;
  GSList* group = nullptr;
  for (const PopupItem& item : items) {
    GtkWidget* widget = nullptr;
    if (item.IsSeparator()) {
      widget = gtk_separator_menu_item_new();
    } else {
      const std::string label = MnemonicToGtk(ToDisplayText(item.text));
      if (item.checkable && item.radio) {
        widget = gtk_radio_menu_item_new_with_mnemonic(group, label.c_str());
        group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(widget));
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
      } else if (item.checkable) {
        widget = gtk_check_menu_item_new_with_mnemonic(label.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(widget), item.checked);
      } else {
        widget = gtk_menu_item_new_with_mnemonic(label.c_str());
      }
      gtk_widget_set_sensitive(widget, item.enabled);
      g_object_set_data(G_OBJECT(widget), "quire-item-id", GINT_TO_POINTER(item.id));
      g_signal_connect(widget, "activate", G_CALLBACK(OnItemActivated), &run);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
  }
  gtk_widget_show_all(menu);

  // A menu chosen through the keyboard's accelerators or an assistive tool comes without a
  // pointer event; the menu still needs one to grab the pointer and keyboard with.
  GdkEvent* made = nullptr;
  if (trigger == nullptr) {
    GdkEvent* current = gtk_get_current_event();
    if (current != nullptr) {
      gdk_event_free(current);
    } else {
      made = NewTriggerEvent(anchor != nullptr ? anchor : owner);
      trigger = made;
    }
  }

  run.loop = g_main_loop_new(nullptr, FALSE);
  const gulong deactivated =
      g_signal_connect(menu, "deactivate", G_CALLBACK(OnMenuDeactivated), &run);
  if (anchor != nullptr) {
    gtk_menu_popup_at_widget(GTK_MENU(menu), anchor, GDK_GRAVITY_SOUTH_WEST, GDK_GRAVITY_NORTH_WEST,
                             trigger);
  } else {
    gtk_menu_popup_at_pointer(GTK_MENU(menu), trigger);
  }
  // Without a seat to grab (no trigger event and no current one) the menu does not open;
  // waiting for it to close would then wait forever.
  // A nested main loop until the menu closes, so the caller gets the choice as a result;
  // callers run it inside their busy scope, which defers a close of the window.
  if (gtk_widget_get_visible(menu))
    g_main_loop_run(run.loop);
  g_signal_handler_disconnect(menu, deactivated);
  g_main_loop_unref(run.loop);
  gtk_widget_destroy(menu);
  if (made != nullptr)
    gdk_event_free(made);
  return run.chosen;
}

}  // namespace quire
