#include "ui/message_style.h"

namespace quire {

int EffectiveIcon(int style) {
  const int icon = style & kMbIconMask;
  if (icon != 0)
    return icon;
  switch (style & kMbButtonMask) {
    case kMbAbortRetryIgnore:
    case kMbRetryCancel:
      return 0;
    default:
      return kMbIconExclamation;
  }
}

}  // namespace quire
