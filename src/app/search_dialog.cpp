#include "app/search_dialog.h"

#include "session/display_text.h"
#include "session/frame_commands.h"

namespace quire {

namespace {

void UpdateOkButton(GtkEditable* entry, gpointer dialog) {
  const char* text = gtk_entry_get_text(GTK_ENTRY(entry));
  gtk_dialog_set_response_sensitive(GTK_DIALOG(dialog), GTK_RESPONSE_OK,
                                    text != nullptr && text[0] != '\0');
}

}  // namespace

GtkDialog* NewSearchDialog(GtkWindow* parent) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(
      "Search", parent,
      static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), "_Cancel",
      GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);

  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
  gtk_container_set_border_width(GTK_CONTAINER(box), 12);
  GtkWidget* prompt = gtk_label_new("Enter a word or phrase to search for");
  gtk_label_set_xalign(GTK_LABEL(prompt), 0.0f);
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_max_length(GTK_ENTRY(entry), kSearchEntryMaxLength);
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 40);
  gtk_label_set_mnemonic_widget(GTK_LABEL(prompt), entry);
  GtkWidget* caseBox = gtk_check_button_new_with_mnemonic(MnemonicToGtk("&Case Sensitive").c_str());
  gtk_box_pack_start(GTK_BOX(box), prompt, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), entry, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), caseBox, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), box, TRUE, TRUE, 0);
  g_object_set_data(G_OBJECT(dialog), "quire-entry", entry);
  g_object_set_data(G_OBJECT(dialog), "quire-case", caseBox);

  g_signal_connect(entry, "changed", G_CALLBACK(UpdateOkButton), dialog);
  UpdateOkButton(GTK_EDITABLE(entry), dialog);
  gtk_widget_show_all(dialog);
  gtk_widget_grab_focus(entry);
  return GTK_DIALOG(dialog);
}

void ReadSearchDialog(GtkDialog* dialog, std::string* words, bool* caseSensitive) {
  auto* entry = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(dialog), "quire-entry"));
  auto* caseBox = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(dialog), "quire-case"));
  *words = gtk_entry_get_text(GTK_ENTRY(entry));
  *caseSensitive = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(caseBox));
}

}  // namespace quire
