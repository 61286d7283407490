// Replacing the whole contents of a file so that a failure never leaves it half written.
#ifndef QUIRE_PLATFORM_FILE_REPLACE_H_
#define QUIRE_PLATFORM_FILE_REPLACE_H_

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/env.h"
#include "platform/file_write.h"

namespace quire {

struct ReplaceOptions {
  // Makes the calls that create, write, flush, rename and remove the files (not the body's
  // own writes: a body writes through whatever it was given).
  Env* env = Env::Default();
  // Permissions of the file when it is new, or always when keepExistingMode is false.
  mode_t mode = 0600;
  // An existing file keeps its permissions.
  bool keepExistingMode = true;
  // When no temporary file can be made beside the target (a folder the user may not
  // write to) but the target itself may be written, write it in place. Such a write can
  // leave the file cut short on failure; callers that must never lose content say no.
  bool allowInPlace = false;
  // Flush the new contents to disk before the rename, so a crash cannot leave an empty
  // file in place. Files that only live for one run may skip it.
  bool syncToDisk = true;
  // Told the temporary file's path the moment it exists, and again with
  // `exists` false once it is gone (renamed into place or removed), so a caller can keep
  // a record that outlives a crash.
  std::function<void(const std::string& temporary, bool exists)> onTemporary;
};

// Writes the body that `writeBody` produces into file descriptor `fd`; false on failure.
using BodyWriter = std::function<bool(int fd)>;

// Makes `body` the whole contents of `path`. The body goes into a temporary file in the
// same folder, which is flushed to disk and renamed over `path`, so `path` holds either
// the old or the new contents, never a mix. A link is followed and the file it names is
// replaced, except a link that another user placed in a shared sticky folder such as
// /tmp (see write_target.h): then nothing is written (false). Files that are not regular
// (devices, pipes) are written directly, without waiting for a reader. An existing file
// that the user may not write is left alone (false), as is a folder. True when every
// byte was written and the file is in place. ReplaceFileContents writes `data` through
// `options.env`.
bool ReplaceFileWith(const std::string& path, const ReplaceOptions& options,
                     const BodyWriter& body);
bool ReplaceFileContents(const std::string& path, const ReplaceOptions& options,
                         std::string_view data);

// Creates `path`, which must not exist yet (an existing file or link makes it fail with
// nothing changed), and writes the body into it; on a failure after creation the new
// file is removed again. A folder on the way that is a link another user planted in a
// shared sticky folder makes it fail too. The file is created, flushed and removed
// through `env`.
bool CreateNewFileWith(const std::string& path, mode_t mode, const BodyWriter& body,
                       Env* env = Env::Default());

// The permissions a new file gets when the user's umask is applied to `mode`. The umask
// is read once, when the program starts, and never changed: setting it to read it would
// race with every thread that creates files meanwhile.
mode_t ModeUnderUmask(mode_t mode);
// The umask the program started with.
mode_t StartUmask();

}  // namespace quire

#endif  // QUIRE_PLATFORM_FILE_REPLACE_H_
