// Moving whole byte ranges through file descriptors, retrying interrupted and short calls.
#ifndef QUIRE_PLATFORM_FILE_WRITE_H_
#define QUIRE_PLATFORM_FILE_WRITE_H_

#include <sys/types.h>

#include <cstddef>
#include <string_view>

namespace quire {

// The write call WriteAllBytes makes; a test may stand in for a device.
using WriteCall = ssize_t (*)(int fd, const void* data, size_t size);

// Writes all of `data` to `fd`, retrying short writes and EINTR. False on any error, and
// when a write takes nothing at all (which would otherwise repeat for ever).
bool WriteAllBytes(int fd, std::string_view data, WriteCall writeCall = nullptr);

// Reads exactly `size` bytes from `fd` into `buffer`, retrying short reads and EINTR.
// False on an error or when the input ends first.
bool ReadAllBytes(int fd, void* buffer, size_t size);

}  // namespace quire

#endif  // QUIRE_PLATFORM_FILE_WRITE_H_
