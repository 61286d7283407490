// quire-pack list (as a table and as JSON) and extract on arbitrary bytes. Extract may
// write only into the folder it is given, and neither command may leave anything behind
// in the temporary folders.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "fuzz_support.h"

namespace {

// Keeps the commands' output and messages out of the fuzzer's log.
class QuietStreams {
 public:
  QuietStreams() : m_out(std::cout.rdbuf(&m_sink)), m_err(std::cerr.rdbuf(&m_sink)) {}
  ~QuietStreams() {
    std::cout.rdbuf(m_out);
    std::cerr.rdbuf(m_err);
  }

 private:
  std::stringbuf m_sink;
  std::streambuf* m_out;
  std::streambuf* m_err;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string& scratch = fuzz::ScratchFolder();
  fuzz::FreshReader();
  const std::string book = fuzz::WriteScratchFile("book.bin", data, size);
  const std::string out = scratch + "out";
  int codes[3];
  {
    QuietStreams quiet;
    codes[0] = pack::RunList({book});
    codes[1] = pack::RunList({book, "--json"});
    codes[2] = pack::RunExtract({book, out, "--force", "--quiet"});
  }
  for (int code : codes) {
    if (code != pack::kExitOk && code != pack::kExitFailed)
      fuzz::Finding("an exit code other than 0 or 1: " + std::to_string(code));
  }
  const std::string privateName = "quire-" + std::to_string(geteuid());
  for (const std::string& name : fuzz::FolderEntries(scratch)) {
    if (name == "book.bin" || name == "out")
      continue;
    if (name == privateName && fuzz::FolderEntries(scratch + name + "/").empty())
      continue;
    fuzz::Finding("left behind or written outside the output folder: " + name);
  }
  for (const std::string& name : fuzz::FolderEntries(out + "/")) {
    if (name.rfind(".quire-extract-", 0) == 0)
      fuzz::Finding("the staging folder stayed in the output folder");
  }
  fuzz::EmptyFolder(out + "/");
  return 0;
}
