#include <gtest/gtest.h>

#include "book/cebook.h"
#include "book/page_store.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::TestBook;

TEST(CEBookLoadTest, ExtractsEveryFileAndStartsAtTheIndexPage) {
  FakeWindow window;
  TestBook book;
  book.AddPage("index.html", "<p>Welcome</p>");
  book.AddFile("pic.bin", std::string("\0\1\2\3", 4), /*packed=*/false);
  book.AddFile("empty.txt", "", /*packed=*/false);
  book.Settings().title = "Loaded";
  book.Write();

  CEBook::Instance().Load();

  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(CEBook::Instance().Title(), "Loaded");
  EXPECT_EQ(CEBook::Instance().StartPage(), book.Folder() + "index.html");
  EXPECT_EQ(book.Extracted("index.html"), "<p>Welcome</p>");
  EXPECT_EQ(book.Extracted("pic.bin"), std::string("\0\1\2\3", 4));
  EXPECT_EQ(book.Extracted("empty.txt"), "");
  EXPECT_EQ(PageStore::Instance().WrittenFiles().size(), 3u);
}

}  // namespace
}  // namespace quire
