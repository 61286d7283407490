#include "ui/status_progress.h"

#include <utility>

#include "ui/reader_window.h"

namespace quire {

StatusProgress::StatusProgress(ReaderWindow& window, std::string caption, bool start)
    : m_window(window), m_caption(std::move(caption)) {
  if (start)
    Begin();
}

StatusProgress::~StatusProgress() {
  End();
}

void StatusProgress::Begin() {
  if (m_running)
    End();
  ReaderWindow& window = m_window;
  window.SetStatusText(m_caption);
  window.BeginWaitCursor();
  m_running = true;
}

void StatusProgress::Step(int position) {
  if (!m_running)
    Begin();
  if (position < 0)
    return;
  if (position > 100)
    position = 100;
  m_window.ShowProgress(m_caption, position);
  m_barShown = true;
}

void StatusProgress::End() {
  if (!m_running)
    return;
  ReaderWindow& window = m_window;
  if (m_barShown)
    window.HideProgress();
  m_barShown = false;
  window.SetStatusText("Ready");
  window.EndWaitCursor();
  m_running = false;
}

}  // namespace quire
