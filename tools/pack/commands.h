// The quire-pack commands. Each takes the arguments after its name, writes results to
// standard output and errors (prefixed "quire-pack: ") to standard error, and returns the
// exit code: 0 done, 1 failed, 2 wrong usage.
#ifndef QUIRE_TOOLS_PACK_COMMANDS_H_
#define QUIRE_TOOLS_PACK_COMMANDS_H_

#include <string>
#include <vector>

#include "cli_args.h"

namespace quire::pack {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunBuild(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunRebind(const std::vector<std::string>& args);
// "run": builds a book into a private temporary file, runs it, and removes it.
int RunPreview(const std::vector<std::string>& args);

// What build and run share: the options that shape a book (all but -o and --dry-run)...
std::vector<OptionSpec> BuildOptionSpecs();
struct BuildRequest {
  std::string sourceDir;
  std::string output;   // the book to write (unused for a dry run)
  bool dryRun = false;  // print the name map and the warnings, write nothing
  bool silent = false;  // no "Wrote ..." line
};
// ...and the build itself, with messages as build prints them; returns the exit code.
int BuildBook(const ParsedArgs& parsed, const BuildRequest& request);

// Messages on standard error.
int Fail(const std::string& message, int code = kExitFailed);
void Warn(const std::string& message);
void Note(const std::string& message);

}  // namespace quire::pack

#endif  // QUIRE_TOOLS_PACK_COMMANDS_H_
