// When a long loop's progress bar is worth painting.
//
// A loop steps once per file, and a search over a few thousand pages moves the bar a
// hundred times in a few tens of milliseconds: far more often than a screen can show it.
// Painting each of those steps on the loop's own thread would cost the loop a fifth of its
// time, so a step is painted only when it shows something new in kind (a new caption or a
// new bar) or when a screen frame has passed since the last paint. A slow loop, whose
// steps are further apart than that, still paints every step.
#ifndef QUIRE_SESSION_PROGRESS_PACER_H_
#define QUIRE_SESSION_PROGRESS_PACER_H_

#include <cstdint>

namespace quire {

class ProgressPacer {
 public:
  // The shortest time between two paints of the same bar: one frame at 100 Hz.
  static constexpr int64_t kMinPaintIntervalUs = 10'000;

  // True when the step at monotonic time `nowUs` is to be painted; records the paint.
  // `newInKind` marks a step that changed the caption or made the bar.
  bool ShouldPaint(int64_t nowUs, bool newInKind);
  // Forgets the last paint: the next step paints, whenever it comes.
  void Reset() { m_painted = false; }

 private:
  bool m_painted = false;
  int64_t m_lastPaintUs = 0;
};

}  // namespace quire

#endif  // QUIRE_SESSION_PROGRESS_PACER_H_
