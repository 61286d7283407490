// A deliberate violation: the window seam must not depend on any layer.
#include "platform/paths.h"
