#include "pages/page_load_steps.h"

#include "pages/html_text.h"
#include "pages/variables.h"

namespace quire {

BookLoadSteps PageLoadSteps(ReaderContext& context) {
  BookLoadSteps steps;
  steps.textToHtml = [](const std::string& value) { return TextToHtml(value); };
  steps.expandPage = [&context](std::string* page) { ExpandVariablesInPage(context, page); };
  return steps;
}

}  // namespace quire
