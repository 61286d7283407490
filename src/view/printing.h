// Printing the page in view, and the page setup that File > Print Setup changes and the
// following prints use: paper, orientation and margins.
//
// WebKit's own print dialog lays a page out for the page setup it had before the dialog,
// so a landscape page setup chosen there (or handed to it) printed blank pages. The reader
// therefore shows GTK's print dialog itself and hands WebKit the settings and page setup
// chosen there, which WebKit prints as they are.
#ifndef QUIRE_VIEW_PRINTING_H_
#define QUIRE_VIEW_PRINTING_H_

#include <webkit2/webkit2.h>

#include <optional>

namespace quire {

// Margins in millimetres.
struct PageMargins {
  double top = 0;
  double bottom = 0;
  double left = 0;
  double right = 0;
};

class Printing {
 public:
  Printing() = default;
  ~Printing();
  Printing(const Printing&) = delete;
  Printing& operator=(const Printing&) = delete;

  // The page setup dialog over `parent`, with the margins beside paper and orientation;
  // what the user chooses is kept for later prints.
  void RunPageSetup(GtkWindow* parent);
  // The print dialog for the page in `view`, starting from the kept page setup and the
  // printer settings of the last print; the settings chosen there are kept in turn, and
  // the page prints with them (the margins of Print Setup kept whatever paper is chosen).
  void PrintPage(WebKitWebView* view, GtkWindow* parent);

  // The kept page setup; null until the user chose one.
  GtkPageSetup* PageSetup() const { return m_pageSetup; }

 private:
  static void OnPrintFinished(WebKitPrintOperation* operation, gpointer self);

  GtkPageSetup* m_pageSetup = nullptr;
  GtkPrintSettings* m_settings = nullptr;
  // The margins chosen in Print Setup; the paper's own until then.
  std::optional<PageMargins> m_margins;
};

}  // namespace quire

#endif  // QUIRE_VIEW_PRINTING_H_
