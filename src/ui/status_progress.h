// The progress indicator of long loops over the book's files (building the contents list,
// searching): a caption in the status bar, a progress bar beside it and the wait cursor.
//
// A loop makes one on its stack, steps it once per file and lets it go out of scope, which
// restores the idle status text "Ready". Only the portable logic lives here: the window
// decides where the bar goes and whether the status bar has room for it.
#ifndef QUIRE_UI_STATUS_PROGRESS_H_
#define QUIRE_UI_STATUS_PROGRESS_H_

#include <string>

namespace quire {

class ReaderWindow;

class StatusProgress {
 public:
  // `start` begins at once.
  // `window` (not owned) outlives the indicator.
  StatusProgress(ReaderWindow& window, std::string caption, bool start = true);
  // Ends the indicator if it is running.
  ~StatusProgress();
  StatusProgress(const StatusProgress&) = delete;
  StatusProgress& operator=(const StatusProgress&) = delete;

  // Shows the caption as the status text and begins the wait cursor; a running indicator
  // is ended first.
  void Begin();
  // Begins if not running; then, for a position 0 to 100, shows the bar at that position
  // (positions above 100 are shown as 100). A negative position does nothing more.
  void Step(int position);
  // If running: removes the bar (when one was shown), sets the status text back to
  // "Ready" and ends the wait cursor.
  void End();

  bool Running() const { return m_running; }

 private:
  ReaderWindow& m_window;
  std::string m_caption;    // shown in the status bar while running
  bool m_running = false;   // between Begin and End
  bool m_barShown = false;  // the window was asked to show the bar since Begin
};

}  // namespace quire

#endif  // QUIRE_UI_STATUS_PROGRESS_H_
