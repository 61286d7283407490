// The progress bar of long loops (searching, building the contents list) in the status
// bar's first pane, beside the caption.
//
// The loops run on the one user-interface thread and never return to the main loop until
// they are done, so nothing would be painted and no pointer would change on its own: a
// step lays the pane out again, paints it straight onto the window (at most once a screen
// frame, see ProgressPacer) and puts the wait cursor back. Input that arrives meanwhile
// waits in the queue until the loop is over.
#ifndef QUIRE_APP_STATUS_PROGRESS_BAR_H_
#define QUIRE_APP_STATUS_PROGRESS_BAR_H_

#include <gtk/gtk.h>

#include <string>

#include "session/progress_pacer.h"

namespace quire {

class StatusProgressBar {
 public:
  // `pane` is the horizontal box of the status bar's first pane; the bar is packed at its
  // end. The pane must outlive this object.
  explicit StatusProgressBar(GtkWidget* pane);
  ~StatusProgressBar();
  StatusProgressBar(const StatusProgressBar&) = delete;
  StatusProgressBar& operator=(const StatusProgressBar&) = delete;

  // One step at `position` (0 to 100) while `caption` is shown: makes the bar when there is
  // room for it (at most 200 pixels, flush right; none when less than 20 pixels remain
  // beside the caption), sets it, reasserts the wait cursor and paints the pane at once
  // when the pacer lets it.
  // A step that shows what the previous one showed does nothing.
  void Show(const std::string& caption, int position);
  // Removes the bar, if there is one.
  void Hide();

  // The bar, or null while there is none.
  GtkWidget* Bar() const { return m_bar; }

  // Paints `widget` (laid out again first) onto its window now, without the main loop.
  static void PaintNow(GtkWidget* widget);
  // Sets `cursor` (null: the default) on the window of `widget`'s toplevel and on every
  // window inside it, so that it shows over the web view too.
  static void SetCursorEverywhere(GtkWidget* widget, GdkCursor* cursor);

 private:
  GtkWidget* m_pane;
  GtkWidget* m_bar = nullptr;
  GdkCursor* m_waitCursor = nullptr;
  // What the last step showed; -1 and empty since the last Hide.
  int m_shownPosition = -1;
  std::string m_shownCaption;
  ProgressPacer m_pacer;
};

}  // namespace quire

#endif  // QUIRE_APP_STATUS_PROGRESS_BAR_H_
