#include "view/web_context.h"

namespace quire {

WebKitWebContext* ReaderWebContext() {
  static WebKitWebContext* const context = [] {
    WebKitWebContext* made = webkit_web_context_new_ephemeral();
    // The pages come from local files; keeping pages of earlier visits buys nothing.
    webkit_web_context_set_cache_model(made, WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    return made;
  }();
  return context;
}

}  // namespace quire
