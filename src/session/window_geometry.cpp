#include "session/window_geometry.h"

#include <algorithm>

namespace quire {

InitialPlacement ComputeInitialPlacement(int32_t widthCode, int32_t height, int32_t positionCode,
                                         int screenWidth, int screenHeight) {
  InitialPlacement placement;
  switch (widthCode) {
    case -1:
      placement.show = InitialPlacement::Show::kMaximized;
      return placement;
    case -2:
      placement.show = InitialPlacement::Show::kMinimized;
      return placement;
    case -3:
      placement.show = InitialPlacement::Show::kSystemChosen;
      return placement;
    default:
      break;
  }
  int sw = std::max(screenWidth, 0);
  int sh = std::max(screenHeight, 0);
  int w = std::min<int64_t>(std::max<int32_t>(widthCode, 0), sw);
  int h = std::min<int64_t>(std::max<int32_t>(height, 0), sh);
  if (w == sw && h == sh) {
    placement.show = InitialPlacement::Show::kMaximized;
    return placement;
  }
  int dx = sw - w;
  int dy = sh - h;
  int x = dx / 2;
  int y = dy / 2;
  switch (positionCode) {
    case -8:
      x = 0;
      y = 0;
      break;
    case -1:
      x = dx / 2;
      y = 0;
      break;
    case -2:
      x = dx;
      y = 0;
      break;
    case -3:
      x = dx;
      y = dy / 2;
      break;
    case -4:
      x = dx;
      y = dy;
      break;
    case -5:
      x = dx / 2;
      y = dy;
      break;
    case -6:
      x = 0;
      y = dy;
      break;
    case -7:
      x = 0;
      y = dy / 2;
      break;
    default:
      break;
  }
  placement.show = InitialPlacement::Show::kPlaced;
  placement.rect = {x, y, w, h};
  placement.restoreRect = placement.rect;
  return placement;
}

}  // namespace quire
