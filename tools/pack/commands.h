// The quire-pack commands. Each takes the arguments after its name, writes results to
// standard output and errors (prefixed "quire-pack: ") to standard error, and returns the
// exit code: 0 done, 1 failed, 2 wrong usage.
#ifndef QUIRE_TOOLS_PACK_COMMANDS_H_
#define QUIRE_TOOLS_PACK_COMMANDS_H_

#include <string>
#include <vector>

namespace quire::pack {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunBuild(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunRebind(const std::vector<std::string>& args);

// Messages on standard error.
int Fail(const std::string& message, int code = kExitFailed);
void Warn(const std::string& message);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_COMMANDS_H_
