#include "app/continue_bar.h"

#include <utility>

namespace quire {

namespace {

constexpr int kTitleChars = 60;

}  // namespace

ContinueBar::ContinueBar(std::function<void()> accept) : m_accept(std::move(accept)) {
  // The info bar has no window of its own; the box around it sees the pointer come and go.
  m_bar = gtk_event_box_new();
  g_object_ref_sink(m_bar);
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(m_bar), FALSE);
  gtk_widget_add_events(m_bar, GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
  m_info = gtk_info_bar_new();
  GtkWidget* info = m_info;
  gtk_info_bar_set_message_type(GTK_INFO_BAR(info), GTK_MESSAGE_INFO);
  gtk_info_bar_set_show_close_button(GTK_INFO_BAR(info), TRUE);
  m_button = gtk_button_new_with_label("");
  GtkWidget* label = gtk_bin_get_child(GTK_BIN(m_button));
  gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
  gtk_label_set_max_width_chars(GTK_LABEL(label), kTitleChars);
  gtk_widget_set_halign(m_button, GTK_ALIGN_START);
  gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(GTK_INFO_BAR(info))), m_button);
  gtk_container_add(GTK_CONTAINER(m_bar), info);

  g_signal_connect_swapped(m_button, "clicked", G_CALLBACK(+[](ContinueBar* bar) {
                             bar->Withdraw();
                             bar->m_accept();
                           }),
                           this);
  g_signal_connect_swapped(info, "response", G_CALLBACK(+[](ContinueBar* bar) { bar->Withdraw(); }),
                           this);
  g_signal_connect(m_bar, "enter-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventCrossing*, gpointer self) -> gboolean {
                     static_cast<ContinueBar*>(self)->StopTimer();
                     return FALSE;
                   }),
                   this);
  g_signal_connect(m_bar, "leave-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventCrossing* event, gpointer self) -> gboolean {
                     auto* bar = static_cast<ContinueBar*>(self);
                     // Into the button is still on the bar.
                     if (event->detail != GDK_NOTIFY_INFERIOR && bar->Showing())
                       bar->StartTimer();
                     return FALSE;
                   }),
                   this);
  gtk_widget_show_all(info);
  gtk_widget_set_no_show_all(m_bar, TRUE);
  // Held, so that they can be let go of after the window destroyed them.
  g_object_ref(m_info);
  g_object_ref(m_button);
}

ContinueBar::~ContinueBar() {
  StopTimer();
  g_signal_handlers_disconnect_by_data(m_bar, this);
  g_signal_handlers_disconnect_by_data(m_button, this);
  g_signal_handlers_disconnect_by_data(m_info, this);
  g_object_unref(m_button);
  g_object_unref(m_info);
  g_object_unref(m_bar);
}

void ContinueBar::Offer(const std::string& title, int seconds) {
  gtk_button_set_label(GTK_BUTTON(m_button), ("Continue reading " + title).c_str());
  m_seconds = seconds;
  gtk_widget_show(m_bar);
  StartTimer();
}

void ContinueBar::Withdraw() {
  StopTimer();
  gtk_widget_hide(m_bar);
}

bool ContinueBar::Showing() const {
  return gtk_widget_get_visible(m_bar) != FALSE;
}

void ContinueBar::StartTimer() {
  StopTimer();
  m_timer = g_timeout_add_seconds(
      static_cast<guint>(m_seconds),
      [](gpointer self) -> gboolean {
        auto* bar = static_cast<ContinueBar*>(self);
        bar->m_timer = 0;
        bar->Withdraw();
        return G_SOURCE_REMOVE;
      },
      this);
}

void ContinueBar::StopTimer() {
  if (m_timer != 0)
    g_source_remove(m_timer);
  m_timer = 0;
}

}  // namespace quire
