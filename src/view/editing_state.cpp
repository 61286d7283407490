#include "view/editing_state.h"

#include <utility>

namespace quire {

struct EditingState::Query {
  EditingState* state;
  bool* field;
};

EditingState::EditingState(WebKitWebView* view, std::function<void()> changed)
    : m_view(view), m_changed(std::move(changed)), m_cancellable(g_cancellable_new()) {
  m_handlers[0] = g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), this);
  m_handlers[1] =
      g_signal_connect_after(view, "button-release-event", G_CALLBACK(OnInputReleased), this);
  m_handlers[2] =
      g_signal_connect_after(view, "key-release-event", G_CALLBACK(OnInputReleased), this);
  Refresh();
}

EditingState::~EditingState() {
  // Answers still on their way must not reach this object any more.
  g_cancellable_cancel(m_cancellable);
  g_object_unref(m_cancellable);
  for (gulong handler : m_handlers) {
    if (handler != 0 && g_signal_handler_is_connected(m_view, handler))
      g_signal_handler_disconnect(m_view, handler);
  }
}

void EditingState::Refresh() {
  webkit_web_view_can_execute_editing_command(m_view, WEBKIT_EDITING_COMMAND_COPY, m_cancellable,
                                              OnAnswer, new Query{this, &m_canCopy});
  webkit_web_view_can_execute_editing_command(m_view, WEBKIT_EDITING_COMMAND_SELECT_ALL,
                                              m_cancellable, OnAnswer,
                                              new Query{this, &m_canSelectAll});
}

void EditingState::OnAnswer(GObject* source, GAsyncResult* result, gpointer data) {
  Query* query = static_cast<Query*>(data);
  GError* error = nullptr;
  const gboolean can =
      webkit_web_view_can_execute_editing_command_finish(WEBKIT_WEB_VIEW(source), result, &error);
  const bool cancelled =
      error != nullptr && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  if (error != nullptr)
    g_error_free(error);
  if (!cancelled)
    query->state->Store(query->field, can);
  delete query;
}

void EditingState::Store(bool* field, bool value) {
  if (*field == value)
    return;
  *field = value;
  if (m_changed)
    m_changed();
}

void EditingState::OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self) {
  if (event == WEBKIT_LOAD_COMMITTED || event == WEBKIT_LOAD_FINISHED)
    static_cast<EditingState*>(self)->Refresh();
}

gboolean EditingState::OnInputReleased(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<EditingState*>(self)->Refresh();
  return FALSE;
}

}  // namespace quire
