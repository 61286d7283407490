#include "launch/gtk_notice.h"

#include <dlfcn.h>

#include "session/display_text.h"

namespace quire {

namespace {

// The few GTK and GLib types and values used here, as their ABI has them.
using GtkWidget = void;
using IoCondition = int;
constexpr IoCondition kIoIn = 1;
constexpr int kMessageInfo = 0;
constexpr int kButtonsNone = 0;
constexpr int kButtonsOk = 1;
constexpr int kResponseDeleteEvent = -4;
constexpr int kResponseClose = -7;

struct Watch {
  const WakeSource* source;
  GtkWidget* dialog;
  void (*respond)(GtkWidget*, int);
};

}  // namespace

struct GtkNotice::Api {
  int (*initCheck)(int*, char***) = nullptr;
  GtkWidget* (*messageDialogNew)(void*, int, int, int, const char*, ...) = nullptr;
  void (*setTitle)(GtkWidget*, const char*) = nullptr;
  void (*setKeepAbove)(GtkWidget*, int) = nullptr;
  GtkWidget* (*dialogAddButton)(GtkWidget*, const char*, int) = nullptr;
  int (*dialogRun)(GtkWidget*) = nullptr;
  void (*dialogResponse)(GtkWidget*, int) = nullptr;
  void (*widgetDestroy)(GtkWidget*) = nullptr;
  unsigned (*unixFdAdd)(int, IoCondition, int (*)(int, IoCondition, void*), void*) = nullptr;
  unsigned (*timeoutAddSeconds)(unsigned, int (*)(void*), void*) = nullptr;
  int (*sourceRemove)(unsigned) = nullptr;
  void (*setPrgname)(const char*) = nullptr;
};

GtkNotice::Outcome GtkNotice::Open(int* argc, char*** argv) {
  void* gtk = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
  if (gtk == nullptr)
    return Outcome::kMissing;
  static Api api;
  bool complete = true;
  auto bind = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(gtk, name));
    complete = complete && function != nullptr;
  };
  bind(api.initCheck, "gtk_init_check");
  bind(api.messageDialogNew, "gtk_message_dialog_new");
  bind(api.setTitle, "gtk_window_set_title");
  bind(api.setKeepAbove, "gtk_window_set_keep_above");
  bind(api.dialogAddButton, "gtk_dialog_add_button");
  bind(api.dialogRun, "gtk_dialog_run");
  bind(api.dialogResponse, "gtk_dialog_response");
  bind(api.widgetDestroy, "gtk_widget_destroy");
  bind(api.unixFdAdd, "g_unix_fd_add");
  bind(api.timeoutAddSeconds, "g_timeout_add_seconds");
  bind(api.sourceRemove, "g_source_remove");
  bind(api.setPrgname, "g_set_prgname");
  if (!complete)
    return Outcome::kMissing;
  api.setPrgname("quire");
  if (api.initCheck(argc, argv) == 0)
    return Outcome::kNoDisplay;
  m_api = &api;
  return Outcome::kOpen;
}

void GtkNotice::Show(const std::string& title, const std::string& text,
                     const std::vector<WakeSource>& sources, int seconds,
                     const std::string& button) {
  if (m_api == nullptr)
    return;
  GtkWidget* dialog =
      m_api->messageDialogNew(nullptr, 0, kMessageInfo, button.empty() ? kButtonsOk : kButtonsNone,
                              "%s", ToDisplayText(text).c_str());
  m_api->setTitle(dialog, ToDisplayText(title).c_str());
  if (button.empty())
    m_api->setKeepAbove(dialog, 1);
  else
    m_api->dialogAddButton(dialog, ToDisplayText(button).c_str(), kResponseClose);

  std::vector<Watch> watches;
  watches.reserve(sources.size() + 1);
  std::vector<unsigned> ids;
  for (const WakeSource& source : sources) {
    watches.push_back({&source, dialog, m_api->dialogResponse});
    ids.push_back(m_api->unixFdAdd(
        source.fd, kIoIn,
        [](int, IoCondition, void* data) -> int {
          auto* watch = static_cast<Watch*>(data);
          if (watch->source->OnReadable())
            watch->respond(watch->dialog, kResponseDeleteEvent);
          return 1;
        },
        &watches.back()));
  }
  watches.push_back({nullptr, dialog, m_api->dialogResponse});
  ids.push_back(m_api->timeoutAddSeconds(
      static_cast<unsigned>(seconds),
      [](void* data) -> int {
        auto* watch = static_cast<Watch*>(data);
        watch->respond(watch->dialog, kResponseDeleteEvent);
        return 1;
      },
      &watches.back()));

  m_api->dialogRun(dialog);
  for (unsigned id : ids)
    m_api->sourceRemove(id);
  m_api->widgetDestroy(dialog);
}

}  // namespace quire
