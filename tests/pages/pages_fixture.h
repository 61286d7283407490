// Shared set-up for the generated-page tests: a private TMPDIR and configuration folder, a
// reader of the test's own with the fake window, and a book put together in memory.
#ifndef QUIRE_TESTS_PAGES_PAGES_FIXTURE_H_
#define QUIRE_TESTS_PAGES_PAGES_FIXTURE_H_

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pages/about_page.h"
#include "pages/reader_context.h"
#include "pages/variables.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire::testing {

// One directory entry, built up by name.
inline EBookFile PageFile(std::string name, std::string title = "", std::string description = "",
                          std::string keywords = "", std::string sortKey = "") {
  EBookFile file;
  file.fileName = std::move(name);
  file.title = std::move(title);
  file.description = std::move(description);
  file.keywords = std::move(keywords);
  file.sortKey = std::move(sortKey);
  return file;
}

class PagesTest : public ::testing::Test {
 protected:
  PagesTest() : m_config("XDG_CONFIG_HOME", m_tmp.File("config")) {
    context.book.SetRecords(DefaultSettings(), {}, {});
  }

  // Replaces the loaded book; the file count follows the directory.
  void LoadBook(EBookSettings settings, std::vector<EBookFile> files = {},
                EBookVariableList variables = {}) {
    settings.fileCount = static_cast<int32_t>(files.size());
    context.book.SetRecords(std::move(settings), std::move(files), std::move(variables));
  }

  // Writes a page of the book into its folder and returns the full path.
  std::string WriteBookPage(const std::string& name, const std::string& content) {
    std::string path = context.store.BookFolder() + name;
    EXPECT_TRUE(WriteWholeFile(path, content)) << path;
    return path;
  }

  ScopedTmpdir m_tmp;
  ReaderContext context;
  FakeWindow m_window{context.window};

 private:
  ScopedEnv m_config;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_PAGES_PAGES_FIXTURE_H_
