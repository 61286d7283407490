#include "app/gtk_reader_window.h"

#include <sys/stat.h>

#include <algorithm>

#include "app/main_frame.h"
#include "app/search_dialog.h"
#include "session/display_text.h"
#include "ui/console_window.h"
#include "ui/message_style.h"

namespace quire {

namespace {

GtkMessageType MessageTypeFor(int icon) {
  switch (icon) {
    case kMbIconStop:
      return GTK_MESSAGE_ERROR;
    case kMbIconQuestion:
      return GTK_MESSAGE_QUESTION;
    case kMbIconExclamation:
      return GTK_MESSAGE_WARNING;
    case kMbIconInformation:
      return GTK_MESSAGE_INFO;
    default:
      return GTK_MESSAGE_OTHER;
  }
}

// The theme's icon of a message style, beside the text as message boxes show it; none for
// a box without an icon.
void ShowStyleIcon(GtkWidget* dialog, GtkMessageType type) {
  const char* name = nullptr;
  const char* description = nullptr;
  switch (type) {
    case GTK_MESSAGE_INFO:
      name = "dialog-information";
      description = "Information";
      break;
    case GTK_MESSAGE_QUESTION:
      name = "dialog-question";
      description = "Question";
      break;
    case GTK_MESSAGE_WARNING:
      name = "dialog-warning";
      description = "Warning";
      break;
    case GTK_MESSAGE_ERROR:
      name = "dialog-error";
      description = "Error";
      break;
    default:
      return;
  }
  GtkWidget* texts = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
  GtkWidget* row = gtk_widget_get_parent(texts);
  if (!GTK_IS_BOX(row))
    return;
  GtkWidget* icon = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG);
  gtk_widget_set_valign(icon, GTK_ALIGN_START);
  AtkObject* accessible = gtk_widget_get_accessible(icon);
  if (accessible != nullptr)
    atk_object_set_name(accessible, description);
  gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(row), icon, 0);
  gtk_widget_show(icon);
}

struct MessageButton {
  const char* label;
  int code;
};

std::vector<MessageButton> ButtonsFor(int style) {
  switch (style & kMbButtonMask) {
    case kMbOkCancel:
      return {{"_OK", kIdOk}, {"_Cancel", kIdCancel}};
    case kMbAbortRetryIgnore:
      return {{"_Abort", kIdAbort}, {"_Retry", kIdRetry}, {"_Ignore", kIdIgnore}};
    case kMbYesNoCancel:
      return {{"_Yes", kIdYes}, {"_No", kIdNo}, {"_Cancel", kIdCancel}};
    case kMbYesNo:
      return {{"_Yes", kIdYes}, {"_No", kIdNo}};
    case kMbRetryCancel:
      return {{"_Retry", kIdRetry}, {"_Cancel", kIdCancel}};
    default:
      return {{"_OK", kIdOk}};
  }
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Adds the filters of "Description|pattern;pattern|...||".
void AddFilters(GtkFileChooser* chooser, const std::string& filter) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos)
      bar = filter.size();
    pieces.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < pieces.size(); i += 2) {
    if (pieces[i].empty() && pieces[i + 1].empty())
      break;
    GtkFileFilter* fileFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(fileFilter, ToDisplayText(pieces[i]).c_str());
    size_t from = 0;
    const std::string& patterns = pieces[i + 1];
    while (from <= patterns.size()) {
      size_t semicolon = patterns.find(';', from);
      if (semicolon == std::string::npos)
        semicolon = patterns.size();
      std::string pattern = patterns.substr(from, semicolon - from);
      if (!pattern.empty())
        gtk_file_filter_add_pattern(fileFilter, pattern.c_str());
      from = semicolon + 1;
    }
    gtk_file_chooser_add_filter(chooser, fileFilter);
  }
}

}  // namespace

GtkReaderWindow::GtkReaderWindow(const CEBook& book, BusyScope busyScope)
    : m_book(book), m_busyScope(std::move(busyScope)) {}

GtkReaderWindow::~GtkReaderWindow() = default;

GtkWindow* GtkReaderWindow::Owner() const {
  if (m_frame == nullptr || !m_frame->Exists())
    return nullptr;
  GtkWindow* window = m_frame->Window();
  return gtk_widget_get_visible(GTK_WIDGET(window)) ? window : nullptr;
}

int GtkReaderWindow::RunDialog(GtkDialog* dialog) {
  int response = GTK_RESPONSE_NONE;
  m_busyScope([&] {
    m_openDialogs.push_back(dialog);
    // A nested main loop until the answer: scripts wait for it synchronously. The busy
    // scope defers a close of the window until the loop has returned.
    response = gtk_dialog_run(dialog);
    m_openDialogs.erase(std::remove(m_openDialogs.begin(), m_openDialogs.end(), dialog),
                        m_openDialogs.end());
  });
  return response;
}

void GtkReaderWindow::DismissAllDialogs() {
  m_dismissAll = true;
  std::vector<GtkDialog*> open = m_openDialogs;
  for (GtkDialog* dialog : open)
    gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT);
}

void GtkReaderWindow::ShowStartupNotice(const std::string& text) {
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                             GTK_BUTTONS_OK, "%s", ToDisplayText(text).c_str());
  ShowStyleIcon(dialog, GTK_MESSAGE_INFO);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  // A nested main loop before the program's own starts: there is no window yet to close.
  gtk_dialog_run(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
}

int GtkReaderWindow::MessageBox(const std::string& text, int style) {
  if (m_dismissAll)
    return ConsoleWindow().MessageBox(text, style);
  GtkWindow* owner = Owner();
  const GtkMessageType type = MessageTypeFor(EffectiveIcon(style));
  GtkWidget* dialog = gtk_message_dialog_new(
      owner, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), type,
      GTK_BUTTONS_NONE, "%s", ToDisplayText(text).c_str());
  ShowStyleIcon(dialog, type);
  gtk_window_set_title(GTK_WINDOW(dialog), ToDisplayText(m_title).c_str());
  if (owner == nullptr) {
    // Before the main window shows (the start-up question): centred on the screen and
    // above the splash picture.
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  }
  std::vector<MessageButton> buttons = ButtonsFor(style);
  for (const MessageButton& button : buttons)
    gtk_dialog_add_button(GTK_DIALOG(dialog), button.label, button.code);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), buttons.front().code);
  int response = RunDialog(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  for (const MessageButton& button : buttons) {
    if (button.code == response)
      return response;
  }
  return DismissedAnswer(style);
}

bool GtkReaderWindow::SaveFileDialog(const SaveFileRequest& request, std::string* path) {
  if (m_dismissAll)
    return false;
  std::string title = request.title.empty() ? "Save As" : ToDisplayText(request.title);
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(title.c_str(), Owner(), GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                  GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  if (!request.folder.empty() && FileExists(request.folder))
    gtk_file_chooser_set_current_folder(chooser, request.folder.c_str());
  if (!request.fileName.empty())
    gtk_file_chooser_set_current_name(chooser, request.fileName.c_str());
  AddFilters(chooser, request.filter);
  bool chosen = false;
  while (RunDialog(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    char* file = gtk_file_chooser_get_filename(chooser);
    if (file == nullptr)
      break;
    std::string result = file;
    g_free(file);
    std::string base = result.substr(result.rfind('/') + 1);
    if (!request.defaultExtension.empty() && base.find('.') == std::string::npos) {
      result += "." + request.defaultExtension;
      // The chooser asked about the name without the extension; ask about this one.
      if (FileExists(result) && MessageBox(result + " already exists.\nDo you want to replace it?",
                                           kMbYesNo | kMbIconExclamation) != kIdYes)
        continue;
    }
    *path = result;
    chosen = true;
    break;
  }
  gtk_widget_destroy(dialog);
  return chosen;
}

bool GtkReaderWindow::SearchDialog(std::string* words, bool* caseSensitive) {
  if (m_dismissAll)
    return false;
  GtkDialog* dialog = NewSearchDialog(Owner());
  bool confirmed = RunDialog(dialog) == GTK_RESPONSE_OK;
  if (confirmed) {
    std::string typed;
    ReadSearchDialog(dialog, &typed, caseSensitive);
    *words = BookDefaultCharset(m_book) == "UTF-8" ? typed : Utf8ToWindows1252(typed);
  }
  gtk_widget_destroy(GTK_WIDGET(dialog));
  return confirmed;
}

void GtkReaderWindow::Beep() {
  if (GdkDisplay* display = gdk_display_get_default())
    gdk_display_beep(display);
}

// --- The view -----------------------------------------------------------------------------

bool GtkReaderWindow::HasView() const {
  return m_frame != nullptr && m_frame->Exists() && m_frame->View() != nullptr &&
         m_frame->View()->Exists();
}

#define QUIRE_VIEW_CALL(call) \
  do {                        \
    if (HasView())            \
      m_frame->View()->call;  \
  } while (0)

void GtkReaderWindow::Navigate(const std::string& url) {
  QUIRE_VIEW_CALL(Navigate(url));
}
void GtkReaderWindow::SetInCommand(bool inCommand) {
  QUIRE_VIEW_CALL(SetInCommand(inCommand));
}

#undef QUIRE_VIEW_CALL

void GtkReaderWindow::RunCommand(std::string_view name) {
  if (HasView())
    m_frame->RunCommandForScript(name);
}

std::string GtkReaderWindow::CurrentUrl() const {
  return HasView() ? m_frame->View()->CurrentUrl() : std::string();
}

// --- The frame ----------------------------------------------------------------------------

bool GtkReaderWindow::HasFrame() const {
  return m_frame != nullptr && m_frame->Exists();
}

void GtkReaderWindow::ShowMaximized() {
  if (HasFrame())
    m_frame->ShowMaximized();
}

void GtkReaderWindow::ShowMinimized() {
  if (HasFrame())
    m_frame->ShowMinimized();
}

void GtkReaderWindow::ShowNormal() {
  if (HasFrame())
    m_frame->ShowNormal();
}

void GtkReaderWindow::PlaceWindow(const WindowRect& rect) {
  if (HasFrame())
    m_frame->PlaceWindow(rect);
}

void GtkReaderWindow::CloseWindow() {
  if (m_close)
    m_close();
}

WindowRect GtkReaderWindow::FrameRect() const {
  return HasFrame() ? m_frame->FrameRect() : WindowRect{};
}

WindowRect GtkReaderWindow::ClientRect() const {
  return HasView() ? m_frame->ClientRect() : WindowRect{};
}

WindowRect GtkReaderWindow::ScreenRect() const {
  return PrimaryScreenRect();
}

void* GtkReaderWindow::NativeHandle() const {
  return HasFrame() ? static_cast<void*>(m_frame->Window()) : nullptr;
}

// --- Status bar and cursor ----------------------------------------------------------------

void GtkReaderWindow::SetStatusText(const std::string& text) {
  if (HasFrame())
    m_frame->SetStatusText(text);
}

void GtkReaderWindow::BeginWaitCursor() {
  if (++m_waitDepth == 1 && HasFrame())
    m_frame->SetWaitCursor(true);
}

void GtkReaderWindow::EndWaitCursor() {
  if (m_waitDepth > 0 && --m_waitDepth == 0 && HasFrame())
    m_frame->SetWaitCursor(false);
}

void GtkReaderWindow::ShowProgress(const std::string& caption, int position) {
  if (HasFrame())
    m_frame->ShowProgress(caption, position);
}

void GtkReaderWindow::HideProgress() {
  if (HasFrame())
    m_frame->HideProgress();
}

// --- Outside programs ---------------------------------------------------------------------

std::optional<int> GtkReaderWindow::WaitForChild(int pid, int timeoutMs) {
  struct Wait {
    GMainLoop* loop = nullptr;
    std::optional<int> status;
    bool timedOut = false;
  } wait;
  wait.loop = g_main_loop_new(nullptr, FALSE);
  guint child = g_child_watch_add(
      pid,
      [](GPid, gint status, gpointer data) {
        auto* w = static_cast<Wait*>(data);
        w->status = status;
        g_main_loop_quit(w->loop);
      },
      &wait);
  guint timer = g_timeout_add(
      static_cast<guint>(std::max(timeoutMs, 0)),
      [](gpointer data) -> gboolean {
        auto* w = static_cast<Wait*>(data);
        w->timedOut = true;
        g_main_loop_quit(w->loop);
        return G_SOURCE_REMOVE;
      },
      &wait);
  // A nested main loop until the child ends or the time is up: the script command waits for
  // it synchronously while the window keeps painting. The busy scope defers a close.
  m_busyScope([&] { g_main_loop_run(wait.loop); });
  if (!wait.status.has_value())
    g_source_remove(child);  // left alone: a later launch reaps it
  if (!wait.timedOut)
    g_source_remove(timer);
  g_main_loop_unref(wait.loop);
  return wait.status;
}

}  // namespace quire
