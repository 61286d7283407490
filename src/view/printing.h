// Printing the page in view with WebKit's print dialog, and the page setup that the
// "Print Setup" command changes and the following prints use.
#ifndef QUIRE_VIEW_PRINTING_H_
#define QUIRE_VIEW_PRINTING_H_

#include <webkit2/webkit2.h>

namespace quire {

class Printing {
 public:
  Printing() = default;
  ~Printing();
  Printing(const Printing&) = delete;
  Printing& operator=(const Printing&) = delete;

  // The page setup dialog over `parent`; what the user chooses is kept for later prints.
  void RunPageSetup(GtkWindow* parent);
  // The print dialog for the page in `view`, starting from the kept page setup and the
  // printer settings of the last print; the settings chosen there are kept in turn.
  void PrintPage(WebKitWebView* view, GtkWindow* parent);

  // The kept page setup; null until the user chose one.
  GtkPageSetup* PageSetup() const { return m_pageSetup; }

 private:
  static void OnPrintFinished(WebKitPrintOperation* operation, gpointer self);

  GtkPageSetup* m_pageSetup = nullptr;
  GtkPrintSettings* m_settings = nullptr;
};

}  // namespace quire

#endif  // QUIRE_VIEW_PRINTING_H_
