// Moving whole byte ranges through file descriptors, retrying interrupted and short calls.
#ifndef QUIRE_PLATFORM_FILE_WRITE_H_
#define QUIRE_PLATFORM_FILE_WRITE_H_

#include <sys/types.h>

#include <cstddef>
#include <string_view>

#include "platform/env.h"

namespace quire {

// Writes all of `data` to `fd` through `env`'s Write, retrying short writes and EINTR.
// False on any error (errno as the failing write left it), and when a write takes
// nothing at all (which would otherwise repeat for ever).
bool WriteAllBytes(int fd, std::string_view data, Env* env = Env::Default());

// Reads exactly `size` bytes from `fd` into `buffer`, retrying short reads and EINTR.
// False on an error or when the input ends first.
bool ReadAllBytes(int fd, void* buffer, size_t size);

}  // namespace quire

#endif  // QUIRE_PLATFORM_FILE_WRITE_H_
