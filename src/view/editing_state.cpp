#include "view/editing_state.h"

#include <utility>

namespace quire {

namespace {

constexpr char kScriptWorld[] = "quire-reader";
// True when text is selected in the page or in its focused text field.
constexpr char kHasSelectionScript[] =
    "(function() {"
    "  const field = document.activeElement;"
    "  if (field && typeof field.selectionStart === 'number' &&"
    "      field.selectionStart !== field.selectionEnd) return true;"
    "  const selection = window.getSelection();"
    "  return !!selection && !selection.isCollapsed && selection.toString().length > 0;"
    "})()";

}  // namespace

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
  g_object_ref(m_view);
  m_editorState = WEBKIT_EDITOR_STATE(g_object_ref(webkit_web_view_get_editor_state(view)));
  m_editorHandler =
      g_signal_connect(m_editorState, "changed", G_CALLBACK(OnEditorStateChanged), this);
  Refresh();
}

EditingState::~EditingState() {
  // Answers still on their way must not reach this object any more.
  g_cancellable_cancel(m_cancellable);
  g_object_unref(m_cancellable);
  if (g_signal_handler_is_connected(m_editorState, m_editorHandler))
    g_signal_handler_disconnect(m_editorState, m_editorHandler);
  for (gulong handler : m_handlers) {
    if (handler != 0 && g_signal_handler_is_connected(m_view, handler))
      g_signal_handler_disconnect(m_view, handler);
  }
  g_object_unref(m_editorState);
  g_object_unref(m_view);
}

void EditingState::Refresh() {
  // WebKit answers "yes" for copy even when nothing is selected, so the page is asked,
  // in a script world of the reader's own that the page's scripts never see.
  webkit_web_view_evaluate_javascript(m_view, kHasSelectionScript, -1, kScriptWorld, nullptr,
                                      m_cancellable, OnSelectionAnswer, this);
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

void EditingState::OnSelectionAnswer(GObject* source, GAsyncResult* result, gpointer self) {
  GError* error = nullptr;
  JSCValue* value =
      webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
  const bool cancelled =
      error != nullptr && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  if (error != nullptr)
    g_error_free(error);
  if (cancelled)
    return;
  // A page that cannot be asked (none loaded yet) has nothing selected.
  const bool selected = value != nullptr && jsc_value_to_boolean(value);
  if (value != nullptr)
    g_object_unref(value);
  static_cast<EditingState*>(self)->Store(&static_cast<EditingState*>(self)->m_canCopy, selected);
}

void EditingState::Store(bool* field, bool value) {
  if (*field == value)
    return;
  *field = value;
  if (m_changed)
    m_changed();
}

void EditingState::OnEditorStateChanged(WebKitEditorState*, gpointer self) {
  static_cast<EditingState*>(self)->Refresh();
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
