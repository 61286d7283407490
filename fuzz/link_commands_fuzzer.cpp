// A "##" link as the view hands it over: split into commands, each split into keyword and
// parameters, typed and executed against a window that only records what it is asked.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "pages/reader_context.h"
#include "script/script_links.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  fuzz::ScratchFolder();
  const std::string link = "##" + std::string(reinterpret_cast<const char*>(data), size);
  for (const std::string& piece : SplitLinkCommands(link)) {
    if (!fuzz::IsHarmlessCommand(piece))
      return 0;
  }
  ReaderContext& context = fuzz::FreshReader();
  if (!RunLinkCommands(context, link))
    fuzz::Finding("a link holding \"##\" was not taken");
  return 0;
}
