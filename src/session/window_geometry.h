// Where the main window appears when it is first shown, from the book's width code W,
// height H and position code P.
#ifndef QUIRE_SESSION_WINDOW_GEOMETRY_H_
#define QUIRE_SESSION_WINDOW_GEOMETRY_H_

#include <cstdint>

#include "ui/reader_window.h"

namespace quire {

struct InitialPlacement {
  enum class Show {
    kMaximized,     // W = -1, or both sides reach the screen size
    kMinimized,     // W = -2
    kSystemChosen,  // W = -3: the size and place the window system gave the new window
    kPlaced,        // `rect`, in screen pixels
  };
  Show show = Show::kSystemChosen;
  // The outer rectangle for kPlaced; all 0 otherwise.
  WindowRect rect;
  // The rectangle that restoring after maximise or minimise returns to: `rect` for
  // kPlaced, all 0 (nothing to restore to) otherwise.
  WindowRect restoreRect;
};

// Width W, height H and position P as the book stores them; screen size in pixels. W or
// H larger than the screen is cut to it; when both then equal the screen the window is
// maximised and P is ignored. P -8 top-left, -1 top, -2 top-right, -3 right, -4
// bottom-right, -5 bottom, -6 bottom-left, -7 left; any other value centres. Free space
// is halved with integer division. A negative height (or a width below -3) is read as 0.
InitialPlacement ComputeInitialPlacement(int32_t widthCode, int32_t height, int32_t positionCode,
                                         int screenWidth, int screenHeight);

}  // namespace quire

#endif  // QUIRE_SESSION_WINDOW_GEOMETRY_H_
