#include <gtest/gtest.h>
#include <sys/stat.h>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/about_page.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::PathExists;
using testing::TestBook;

constexpr int kOkExclamation = kMbOk | kMbIconExclamation;

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
  struct stat st {};
  ASSERT_EQ(stat(book.Folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(CEBookLoadTest, StartPageKeepsTheStoredCase) {
  FakeWindow window;
  TestBook book;
  book.AddPage("INDEX.HTM", "<p>old</p>");
  book.AddPage("a.html", "<p>a</p>");
  book.Write();
  CEBook::Instance().Load();
  EXPECT_EQ(CEBook::Instance().StartPage(), book.Folder() + "INDEX.HTM");
}

TEST(CEBookLoadTest, BookWithoutIndexSaysSoOnceAndStartsOnTheAboutPage) {
  FakeWindow window;
  TestBook book;
  book.AddPage("chapter.html", "<p>1</p>");
  book.Write();
  CEBook::Instance().Load();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Index file not found!\n\nThis E-Book seems to be corrupted.");
  EXPECT_EQ(window.messages[0].style, kOkExclamation);
  EXPECT_FALSE(CEBook::Instance().StartPage().empty());
  EXPECT_EQ(CEBook::Instance().StartPage(), BuildAboutPage());
}

TEST(CEBookLoadTest, PlainTextVariablesBecomeHtmlOnceOthersStayAsStored) {
  FakeWindow window;
  TestBook book;
  book.AddPage("index.html", "x");
  book.AddVariable("one", "a<b", 1);
  book.AddVariable("two", "<b>bold</b>", 2);
  book.AddVariable("three", "c<d", 3);
  book.Write();
  CEBook::Instance().Load();
  const auto& vars = CEBook::Instance().Variables();
  ASSERT_EQ(vars.size(), 3u);
  EXPECT_NE(vars[0].value.find("&lt;"), std::string::npos) << vars[0].value;
  EXPECT_EQ(vars[1].value, "<b>bold</b>");
  EXPECT_NE(vars[2].value.find("&lt;"), std::string::npos) << vars[2].value;
}

TEST(CEBookLoadTest, OnlyFlaggedPagesHaveTheirVariablesExpanded) {
  FakeWindow window;
  TestBook book;
  book.Settings().title = "My Title";
  book.AddPage("index.html", "<h1>[={title}]</h1>").expandVariables = true;
  book.AddPage("raw.html", "<h1>[={title}]</h1>");
  book.Write();
  CEBook::Instance().Load();
  EXPECT_EQ(book.Extracted("index.html"), "<h1>My Title</h1>");
  EXPECT_EQ(book.Extracted("raw.html"), "<h1>[={title}]</h1>");
}

TEST(CEBookLoadTest, FilesThatCannotBeExtractedAreSkippedAndTheLoadGoesOn) {
  FakeWindow window;
  TestBook book;
  book.AddPage("../outside.html", "<p>escape</p>");
  book.AddPage("index.html", "<p>ok</p>");
  book.AddPage("sub\\page.html", "<p>sub</p>");
  book.Write();
  CEBook::Instance().Load();
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(book.Extracted("index.html"), "<p>ok</p>");
  EXPECT_FALSE(PathExists(book.Tmp().PrivateFolder() + "outside.html"));
  // Only the file that could lie in the book folder is recorded for deletion.
  EXPECT_EQ(PageStore::Instance().WrittenFiles(),
            (std::set<std::string>{book.Folder() + "index.html"}));
}

TEST(CEBookLoadTest, UnusableTempFolderIsReportedOnceAndNothingIsWritten) {
  FakeWindow window;
  TestBook book;
  book.AddPage("index.html", "<p>ok</p>");
  book.AddPage("b.html", "<p>b</p>");
  book.Write();
  // The per-user folder is a file, so no private folder can be had.
  ASSERT_TRUE(testing::WriteWholeFile(book.Tmp().File("quire-" + std::to_string(geteuid())), ""));
  CEBook::Instance().Load();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Not enough disk space or other file error!");
  EXPECT_EQ(window.messages[0].style, kOkExclamation);
}

// The fatal cases end the process with exit code 0; the console window shows the text.
class CEBookFatalLoadTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(CEBookFatalLoadTest, DamagedContainerEndsTheProcess) {
  TestBook book;
  book.AddPage("index.html", "x");
  std::string bytes = book.Bytes();
  bytes[bytes.size() - 1] ^= 0x40;  // the trailer's end mark
  book.WriteBytes(bytes);
  EXPECT_EXIT(CEBook::Instance().Load(), ::testing::ExitedWithCode(0),
              "Self Parse Failed\n\nThis E-Book seems to be corrupted.");
}

TEST_F(CEBookFatalLoadTest, BookWithoutFilesEndsTheProcess) {
  TestBook book;
  book.Write();
  EXPECT_EXIT(CEBook::Instance().Load(), ::testing::ExitedWithCode(0),
              "No files in E-Book!\n\nThis E-Book seems to be corrupted.");
}

TEST_F(CEBookFatalLoadTest, FileCountThatDiffersFromTheDirectoryEndsTheProcess) {
  for (int32_t count : {1, 3, -1}) {
    SCOPED_TRACE(count);
    TestBook book;
    book.AddPage("index.html", "x");
    book.AddPage("b.html", "y");
    std::string bytes = book.Bytes();
    // The file count is the last field before the settings record's end mark.
    testing::PutScrambledInt(&bytes, testing::BookLayout(bytes).reservedList - 8, count);
    book.WriteBytes(bytes);
    EXPECT_EXIT(CEBook::Instance().Load(), ::testing::ExitedWithCode(0),
                "File Counts do not match!\n\nThis E-Book seems to be corrupted.");
  }
}

TEST_F(CEBookFatalLoadTest, FatalLoadLeavesAlreadyWrittenFilesAlone) {
  TestBook book;
  book.AddPage("index.html", "x");
  book.Input().fileCountOverride = 5;
  book.Write();
  const std::string stale = book.Tmp().PrivateFolder() + "keep.txt";
  ASSERT_TRUE(testing::WriteWholeFile(stale, "kept"));
  EXPECT_EXIT(CEBook::Instance().Load(), ::testing::ExitedWithCode(0), "File Counts");
  EXPECT_TRUE(PathExists(stale));
}

}  // namespace
}  // namespace quire
