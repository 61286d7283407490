#include "session/status_bar_layout.h"

namespace quire {

ProgressBarSpan ProgressBarSpanFor(int paneWidth, bool hasCaption, int captionWidth,
                                   int averageCharWidth) {
  int left = 0;
  if (hasCaption)
    left = captionWidth + 2 * averageCharWidth;
  const int remaining = paneWidth - left;
  if (remaining < kProgressBarMinWidth)
    return {};
  if (remaining > kProgressBarMaxWidth)
    return {paneWidth - kProgressBarMaxWidth, kProgressBarMaxWidth};
  return {left, remaining};
}

}  // namespace quire
