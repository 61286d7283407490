// Everything one reader works on, made once where the program starts and handed to the
// code that needs it, as a script interpreter hands its state to each call: the window,
// the book, the record of what the reader writes into the book's folder, and the small
// remembered answers of the generated pages. Tests make one of their own for each case, so nothing
// of one case reaches the next.
//
// The context lives in the pages layer so that the page builders can take it; what the
// layers above keep for the whole run (the extension libraries) hangs on it as a pointer
// that only those layers read.
#ifndef QUIRE_PAGES_READER_CONTEXT_H_
#define QUIRE_PAGES_READER_CONTEXT_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/last_search.h"
#include "pages/variables.h"
#include "platform/env.h"
#include "ui/window_slot.h"

namespace quire {

struct ExtensionState;

struct ReaderContext {
  ReaderContext() = default;
  ReaderContext(const ReaderContext&) = delete;
  ReaderContext& operator=(const ReaderContext&) = delete;

  // The window the reader talks to; the console until a window is installed.
  WindowSlot window;
  // The file calls of the script commands; a test puts one in that fails chosen calls.
  Env* env = Env::Default();
  // The loaded book; empty (defaults) until a load. It also knows the file it is read
  // from (book.File(): the program's own, set where the program starts).
  CEBook book;
  // The book's folder and every file and folder written there; named after the book.
  PageStore store{book, window};

  // --- What the generated pages remember for the rest of the run -----------------------
  // The address of Quire's site (SiteUrl), once read.
  std::optional<std::string> siteUrl;
  // The search the results page was last built for; nullopt before the first search.
  std::optional<SearchRequest> lastSearch;
  // The words of the query being searched, or searched last.
  std::vector<std::string> searchWords;
  // The folder values of the variables, filled at the first expansion that needs them.
  VariableFolders folders;
  // The extension libraries' variables; empty while none is loaded (variables.h).
  ExtensionVariableSource extensionVariables;

  // --- What the layers above keep for the run; only they look inside -------------------
  // The state of the scripts' RND() generator (script/expression.h); 1 at start-up.
  uint32_t scriptRandom = 1;
  // The extension libraries (ext/extension_state.h), made on first use.
  std::shared_ptr<ExtensionState> extensions;
};

}  // namespace quire

#endif  // QUIRE_PAGES_READER_CONTEXT_H_
