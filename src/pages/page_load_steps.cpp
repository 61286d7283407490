#include "pages/page_load_steps.h"

#include "pages/html_text.h"
#include "pages/variables.h"

namespace quire {

BookLoadSteps PageLoadSteps() {
  BookLoadSteps steps;
  steps.textToHtml = [](const std::string& value) { return TextToHtml(value); };
  steps.expandPage = [](std::string* page) { ExpandVariablesInPage(page); };
  return steps;
}

}  // namespace quire
