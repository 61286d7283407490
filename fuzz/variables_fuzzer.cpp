// Variable expansion in both forms, with user variables, compile-time variables and a
// loaded settings record in place. The first line of the input may define user variables
// ("name=value;name=value").
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>

#include "book/cebook.h"
#include "fuzz_support.h"
#include "pages/reader_context.h"
#include "pages/variables.h"

namespace {

void LoadRecords(quire::ReaderContext& context) {
  using namespace quire;
  EBookSettings settings = DefaultSettings();
  settings.esbn = "FUZZ";
  settings.title = "Fuzz {title} [={author}]";
  settings.author = "A. Uthor";
  std::vector<EBookFile> directory(1);
  directory[0].fileName = "index.html";
  EBookVariableList variables;
  for (auto [name, value, kind] :
       {std::tuple{"plain", "<b>{title}</b>", 1}, std::tuple{"html", "[={plain}]", 2},
        std::tuple{"self", "{self}{self}", 3}}) {
    EBookVariable variable;
    variable.name = name;
    variable.value = value;
    variable.kind = kind;
    variables.variables.push_back(variable);
  }
  context.book.SetRecords(settings, directory, variables);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quire;
  fuzz::ScratchFolder();
  ReaderContext& context = fuzz::FreshReader();
  LoadRecords(context);
  std::string text(reinterpret_cast<const char*>(data), size);
  const size_t lineEnd = text.find('\n');
  if (lineEnd != std::string::npos) {
    const std::string definitions = text.substr(0, lineEnd);
    text.erase(0, lineEnd + 1);
    size_t start = 0;
    while (start <= definitions.size()) {
      size_t end = definitions.find(';', start);
      if (end == std::string::npos)
        end = definitions.size();
      const std::string pair = definitions.substr(start, end - start);
      const size_t equals = pair.find('=');
      if (equals != std::string::npos) {
        std::string message;
        if (!DefineVariable(context.book, pair.substr(0, equals), pair.substr(equals + 1),
                            &message) &&
            message.empty()) {
          fuzz::Finding("a refused variable without a message");
        }
      }
      start = end + 1;
    }
  }
  ExpandVariables(context, text, false);
  ExpandVariables(context, text, true);
  return 0;
}
