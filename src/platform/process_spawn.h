// Starting processes: detached programs, and children whose exit the caller waits for.
#ifndef QUIRE_PLATFORM_PROCESS_SPAWN_H_
#define QUIRE_PLATFORM_PROCESS_SPAWN_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace quire {

// Starts `program` (a resolved path) with `words` as its arguments as a process of its
// own: an intermediate child starts it and ends at once, so the program is never this
// process's child and never stays behind as a zombie. With `quietInput` its standard
// input is /dev/null. Returns 0 when the program was started, else the errno of the
// failure (exec errors included).
int StartDetached(const std::string& program, std::vector<std::string> words, bool quietInput);

// Starts `program` with `words` as a child of this process, standard input /dev/null,
// for the caller to wait for. Returns 0 and the child in `*pid`, else the errno.
int SpawnChild(const std::string& program, std::vector<std::string> words, pid_t* pid);

}  // namespace quire

#endif  // QUIRE_PLATFORM_PROCESS_SPAWN_H_
