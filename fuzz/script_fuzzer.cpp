// A script file: read and classified by LoadScript, then run line by line as the reader
// runs it, with a bound on the number of lines so that a script that loops for ever (which
// a book may do) ends the run instead of counting as a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "book/cebook.h"
#include "fuzz_support.h"
#include "pages/reader_context.h"
#include "script/command_line.h"
#include "script/control_stack.h"
#include "script/script_file.h"
#include "script/script_value.h"

namespace {

constexpr int kMaxLinesRun = 3000;
// A loop may grow a variable exponentially (STRCAT of a variable onto itself), which a book
// may also do; past this many bytes in all the run ends, as for an endless loop.
constexpr size_t kMaxVariableBytes = 1 << 20;

size_t UserVariableBytes(quire::ReaderContext& context) {
  size_t total = 0;
  for (const auto& [name, value] : context.book.UserVariables())
    total += name.size() + value.size();
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  const std::string path = fuzz::WriteScratchFile("fuzz.pgs", data, size);
  ScriptFile script = LoadScript(path, "fuzz.pgs");
  if (script.LoadFailed()) {
    if (script.LoadError().empty() || script.LineCount() != 0)
      fuzz::Finding("a failed load without its message, or with lines");
    return 0;
  }
  for (size_t i = 0; i < script.LineCount(); ++i) {
    if (!fuzz::IsHarmlessCommand(script.LineText(i)))
      return 0;
  }
  ReaderContext& context = fuzz::FreshReader();
  ControlStack stack;
  std::string errorText;
  int lineNumber = 0;
  for (int run = 0; run < kMaxLinesRun; ++run) {
    const std::string* line = script.NextLine(&lineNumber);
    if (!line)
      break;
    if (lineNumber < 1)
      fuzz::Finding("a line number below 1");
    errorText.clear();
    const int result = ExecuteCommandLine(context, stack, *line, &errorText, &script);
    if (result != kCommandContinue && result != kCommandFailed && result != kCommandStop)
      fuzz::Finding("a command result outside the three results");
    if (result != kCommandContinue || UserVariableBytes(context) > kMaxVariableBytes)
      break;
  }
  return 0;
}
