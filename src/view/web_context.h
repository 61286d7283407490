// The one WebKit context of the reader's views. It keeps everything in memory (cache,
// cookies, local storage, HSTS, salts), so a run leaves nothing in the user's home folder
// and no book sees what another one stored.
#ifndef QUIRE_VIEW_WEB_CONTEXT_H_
#define QUIRE_VIEW_WEB_CONTEXT_H_

#include <webkit2/webkit2.h>

namespace quire {

// Made on first use and kept until the process ends.
WebKitWebContext* ReaderWebContext();

}  // namespace quire

#endif  // QUIRE_VIEW_WEB_CONTEXT_H_
