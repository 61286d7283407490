#include "view/printing.h"

#include <gtk/gtkunixprint.h>

namespace quire {

namespace {

// The largest margin offered, in millimetres.
constexpr double kMostMargin = 100;

template <typename T>
void Replace(T** slot, T* value) {
  if (value != nullptr)
    g_object_ref(value);
  if (*slot != nullptr)
    g_object_unref(*slot);
  *slot = value;
}

PageMargins MarginsOf(GtkPageSetup* setup) {
  return {gtk_page_setup_get_top_margin(setup, GTK_UNIT_MM),
          gtk_page_setup_get_bottom_margin(setup, GTK_UNIT_MM),
          gtk_page_setup_get_left_margin(setup, GTK_UNIT_MM),
          gtk_page_setup_get_right_margin(setup, GTK_UNIT_MM)};
}

void SetMargins(GtkPageSetup* setup, const PageMargins& margins) {
  gtk_page_setup_set_top_margin(setup, margins.top, GTK_UNIT_MM);
  gtk_page_setup_set_bottom_margin(setup, margins.bottom, GTK_UNIT_MM);
  gtk_page_setup_set_left_margin(setup, margins.left, GTK_UNIT_MM);
  gtk_page_setup_set_right_margin(setup, margins.right, GTK_UNIT_MM);
}

// The spin buttons of the margins box, top, bottom, left, right.
struct MarginFields {
  GtkWidget* spins[4] = {};

  PageMargins Read() const {
    auto value = [this](int i) { return gtk_spin_button_get_value(GTK_SPIN_BUTTON(spins[i])); };
    return {value(0), value(1), value(2), value(3)};
  }
};

// A "Margins" frame with four fields in millimetres, added to the dialog's own widgets.
MarginFields AddMarginFields(GtkDialog* dialog, const PageMargins& margins) {
  MarginFields fields;
  GtkWidget* frame = gtk_frame_new("Margins (mm)");
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
  const char* names[4] = {"_Top:", "_Bottom:", "_Left:", "_Right:"};
  const double values[4] = {margins.top, margins.bottom, margins.left, margins.right};
  for (int i = 0; i < 4; ++i) {
    GtkWidget* label = gtk_label_new_with_mnemonic(names[i]);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    fields.spins[i] = gtk_spin_button_new_with_range(0, kMostMargin, 0.5);
    gtk_spin_button_set_digits(GTK_SPIN_BUTTON(fields.spins[i]), 1);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(fields.spins[i]), values[i]);
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), fields.spins[i]);
    AtkObject* accessible = gtk_widget_get_accessible(fields.spins[i]);
    if (accessible != nullptr)
      atk_object_set_name(accessible, gtk_label_get_text(GTK_LABEL(label)));
    gtk_grid_attach(GTK_GRID(grid), label, (i % 2) * 2, i / 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), fields.spins[i], (i % 2) * 2 + 1, i / 2, 1, 1);
  }
  gtk_container_add(GTK_CONTAINER(frame), grid);
  GtkWidget* area = gtk_dialog_get_content_area(dialog);
  gtk_box_pack_start(GTK_BOX(area), frame, FALSE, FALSE, 6);
  gtk_widget_show_all(frame);
  return fields;
}

}  // namespace

Printing::~Printing() {
  Replace<GtkPageSetup>(&m_pageSetup, nullptr);
  Replace<GtkPrintSettings>(&m_settings, nullptr);
}

void Printing::RunPageSetup(GtkWindow* parent) {
  if (m_settings == nullptr)
    m_settings = gtk_print_settings_new();
  GtkWidget* dialog = gtk_page_setup_unix_dialog_new("Page Setup", parent);
  GtkPageSetupUnixDialog* setupDialog = GTK_PAGE_SETUP_UNIX_DIALOG(dialog);
  GtkPageSetup* start =
      m_pageSetup != nullptr ? gtk_page_setup_copy(m_pageSetup) : gtk_page_setup_new();
  gtk_page_setup_unix_dialog_set_page_setup(setupDialog, start);
  gtk_page_setup_unix_dialog_set_print_settings(setupDialog, m_settings);
  const MarginFields margins =
      AddMarginFields(GTK_DIALOG(dialog), m_margins.value_or(MarginsOf(start)));
  g_object_unref(start);
  // A nested main loop until the dialog closes; the caller's busy scope defers a close.
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
    GtkPageSetup* chosen =
        gtk_page_setup_copy(gtk_page_setup_unix_dialog_get_page_setup(setupDialog));
    m_margins = margins.Read();
    SetMargins(chosen, *m_margins);
    Replace(&m_pageSetup, chosen);
    g_object_unref(chosen);
    Replace(&m_settings, gtk_page_setup_unix_dialog_get_print_settings(setupDialog));
  }
  gtk_widget_destroy(dialog);
}

void Printing::PrintPage(WebKitWebView* view, GtkWindow* parent) {
  GtkWidget* dialog = gtk_print_unix_dialog_new("Print", parent);
  GtkPrintUnixDialog* printDialog = GTK_PRINT_UNIX_DIALOG(dialog);
  // What WebKit's printing does with the settings itself.
  gtk_print_unix_dialog_set_manual_capabilities(
      printDialog,
      static_cast<GtkPrintCapabilities>(
          GTK_PRINT_CAPABILITY_NUMBER_UP | GTK_PRINT_CAPABILITY_NUMBER_UP_LAYOUT |
          GTK_PRINT_CAPABILITY_PAGE_SET | GTK_PRINT_CAPABILITY_REVERSE |
          GTK_PRINT_CAPABILITY_COPIES | GTK_PRINT_CAPABILITY_COLLATE | GTK_PRINT_CAPABILITY_SCALE));
  gtk_print_unix_dialog_set_embed_page_setup(printDialog, TRUE);
  if (m_settings != nullptr)
    gtk_print_unix_dialog_set_settings(printDialog, m_settings);
  if (m_pageSetup != nullptr)
    gtk_print_unix_dialog_set_page_setup(printDialog, m_pageSetup);
  // A nested main loop until the print dialog closes; the caller's busy scope defers a close.
  const bool print = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
  if (print) {
    GtkPrintSettings* settings = gtk_print_unix_dialog_get_settings(printDialog);
    GtkPrinter* printer = gtk_print_unix_dialog_get_selected_printer(printDialog);
    if (printer != nullptr)
      gtk_print_settings_set_printer(settings, gtk_printer_get_name(printer));
    GtkPageSetup* setup = gtk_page_setup_copy(gtk_print_unix_dialog_get_page_setup(printDialog));
    if (m_margins)
      SetMargins(setup, *m_margins);
    Replace(&m_settings, settings);
    g_object_unref(settings);
    Replace(&m_pageSetup, setup);
    g_object_unref(setup);
  }
  gtk_widget_destroy(dialog);
  if (!print)
    return;
  WebKitPrintOperation* operation = webkit_print_operation_new(view);
  webkit_print_operation_set_page_setup(operation, m_pageSetup);
  webkit_print_operation_set_print_settings(operation, m_settings);
  // Printing goes on after this call; the operation lives until it has finished.
  g_signal_connect(operation, "finished", G_CALLBACK(OnPrintFinished), nullptr);
  webkit_print_operation_print(operation);
}

void Printing::OnPrintFinished(WebKitPrintOperation* operation, gpointer) {
  g_object_unref(operation);
}

}  // namespace quire
