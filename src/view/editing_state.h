// Whether the web view can copy and select all right now.
//
// WebKit answers such questions only asynchronously, while menus, toolbar buttons and the
// pop-up menu need an answer at once; so the answers are kept here and asked again
// whenever they may have changed: the view's editor state changed (the selection moved), a
// page finished loading, a mouse button or a key was released over the view, or Refresh()
// was called. Copy is offered while text is selected; select all as WebKit reports it.
#ifndef QUIRE_VIEW_EDITING_STATE_H_
#define QUIRE_VIEW_EDITING_STATE_H_

#include <webkit2/webkit2.h>

#include <functional>

namespace quire {

class EditingState {
 public:
  // `changed` is called after an answer changed a cached value (may be empty).
  EditingState(WebKitWebView* view, std::function<void()> changed);
  ~EditingState();
  EditingState(const EditingState&) = delete;
  EditingState& operator=(const EditingState&) = delete;

  bool CanCopy() const { return m_canCopy; }
  bool CanSelectAll() const { return m_canSelectAll; }

  // Asks the view again; the answers arrive later.
  void Refresh();

 private:
  struct Query;
  static void OnAnswer(GObject* source, GAsyncResult* result, gpointer data);
  static void OnSelectionAnswer(GObject* source, GAsyncResult* result, gpointer self);
  static void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer self);
  static void OnEditorStateChanged(WebKitEditorState*, gpointer self);
  static gboolean OnInputReleased(GtkWidget*, GdkEvent*, gpointer self);
  void Store(bool* field, bool value);

  WebKitWebView* m_view;
  std::function<void()> m_changed;
  GCancellable* m_cancellable;
  bool m_canCopy = false;
  bool m_canSelectAll = false;
  gulong m_handlers[3] = {0, 0, 0};
  WebKitEditorState* m_editorState;  // owned by the view
  gulong m_editorHandler = 0;
};

}  // namespace quire

#endif  // QUIRE_VIEW_EDITING_STATE_H_
