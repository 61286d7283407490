// What every fuzz target shares: a private scratch folder that everything the code under
// test writes must stay inside, helpers to put an input there, and the filter that keeps
// script commands away from the machine's own files and programs.
#ifndef QUIRE_FUZZ_FUZZ_SUPPORT_H_
#define QUIRE_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quire {
struct ReaderContext;
}  // namespace quire

namespace quire::fuzz {

// A folder of this process, made on first call (mkdtemp under /tmp) and removed at exit.
// It also becomes TMPDIR, HOME, XDG_CONFIG_HOME and the current directory, so the
// reader's private temporary folder, book folder and INI folder all lie inside it.
// Ends with '/'.
const std::string& ScratchFolder();

// Writes `size` bytes as ScratchFolder() + name (created or truncated) and returns the
// path. Aborts when it cannot: a fuzz run without its input means nothing.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);

// The bytes of ScratchFolder() + name; nullopt when it cannot be read.
std::optional<std::string> ReadScratchFile(const std::string& name);

// Removes everything inside `folder` (which stays), following no links.
void EmptyFolder(const std::string& folder);

// The names directly inside `folder`, sorted; empty when it cannot be read.
std::vector<std::string> FolderEntries(const std::string& folder);

// Stops the run with a finding: prints `what` and aborts, so libFuzzer keeps the input.
[[noreturn]] void Finding(const std::string& what);

// False for a command line whose keyword text mentions a command that reads or writes
// files by path or starts programs (FILE..., INI..., RUN..., OPEN): fuzzed paths could
// name any file of this machine. Lines that do not split are harmless: they never run.
bool IsHarmlessCommand(const std::string& line);

// A reader of its own for this input (no book, no user variables, no page records), its
// messages going to a window that records them instead of standard error. The reader of
// the previous input is gone.
ReaderContext& FreshReader();

}  // namespace quire::fuzz

#endif  // QUIRE_FUZZ_FUZZ_SUPPORT_H_
