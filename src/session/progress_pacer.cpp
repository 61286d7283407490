#include "session/progress_pacer.h"

namespace quire {

bool ProgressPacer::ShouldPaint(int64_t nowUs, bool newInKind) {
  // A clock that went back (or a first step) counts as time enough.
  if (m_painted && !newInKind && nowUs >= m_lastPaintUs &&
      nowUs - m_lastPaintUs < kMinPaintIntervalUs) {
    return false;
  }
  m_painted = true;
  m_lastPaintUs = nowUs;
  return true;
}

}  // namespace quire
