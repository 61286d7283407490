#include "view/printing.h"

namespace quire {

namespace {

template <typename T>
void Replace(T** slot, T* value) {
  if (value != nullptr)
    g_object_ref(value);
  if (*slot != nullptr)
    g_object_unref(*slot);
  *slot = value;
}

}  // namespace

Printing::~Printing() {
  Replace<GtkPageSetup>(&m_pageSetup, nullptr);
  Replace<GtkPrintSettings>(&m_settings, nullptr);
}

void Printing::RunPageSetup(GtkWindow* parent) {
  if (m_settings == nullptr)
    m_settings = gtk_print_settings_new();
  // A nested main loop until the dialog closes; the caller's busy scope defers a close.
  GtkPageSetup* chosen = gtk_print_run_page_setup_dialog(parent, m_pageSetup, m_settings);
  if (chosen != nullptr) {
    Replace(&m_pageSetup, chosen);
    g_object_unref(chosen);
  }
}

void Printing::PrintPage(WebKitWebView* view, GtkWindow* parent) {
  WebKitPrintOperation* operation = webkit_print_operation_new(view);
  if (m_pageSetup != nullptr)
    webkit_print_operation_set_page_setup(operation, m_pageSetup);
  if (m_settings != nullptr)
    webkit_print_operation_set_print_settings(operation, m_settings);
  // A nested main loop until the print dialog closes; the caller's busy scope defers a close.
  if (webkit_print_operation_run_dialog(operation, parent) ==
      WEBKIT_PRINT_OPERATION_RESPONSE_PRINT) {
    Replace(&m_settings, webkit_print_operation_get_print_settings(operation));
    Replace(&m_pageSetup, webkit_print_operation_get_page_setup(operation));
    // Printing goes on after the dialog; the operation lives until it has finished.
    g_signal_connect(operation, "finished", G_CALLBACK(OnPrintFinished), nullptr);
    return;
  }
  g_object_unref(operation);
}

void Printing::OnPrintFinished(WebKitPrintOperation* operation, gpointer) {
  g_object_unref(operation);
}

}  // namespace quire
