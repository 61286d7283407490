#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/reader_context.h"
#include "platform/paths.h"
#include "support/book_fixture.h"
#include "support/failing_env.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::PathExists;
using testing::TestBook;

constexpr int kOkExclamation = kMbOk | kMbIconExclamation;

LoadResult LoadBook(ReaderContext& context) {
  return testing::LoadAsTheReaderDoes(context);
}

TEST(CEBookLoadTest, ExtractsEveryFileAndStartsAtTheIndexPage) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>Welcome</p>");
  book.AddFile("pic.bin", std::string("\0\1\2\3", 4), /*packed=*/false);
  book.AddFile("empty.txt", "", /*packed=*/false);
  book.Settings().title = "Loaded";
  book.WriteFor(context);

  EXPECT_EQ(LoadBook(context).reason, LoadResult::Reason::kNone);

  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(context.book.Title(), "Loaded");
  EXPECT_EQ(context.book.StartPage(), book.Folder() + "index.html");
  EXPECT_EQ(book.Extracted("index.html"), "<p>Welcome</p>");
  EXPECT_EQ(book.Extracted("pic.bin"), std::string("\0\1\2\3", 4));
  EXPECT_EQ(book.Extracted("empty.txt"), "");
  EXPECT_EQ(context.store.WrittenFiles().size(), 3u);
  struct stat st {};
  ASSERT_EQ(stat(book.Folder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// The file a book is read from belongs to its reader: two readers of one process read
// two books, each its own.
TEST(CEBookLoadTest, EachReaderReadsTheFileItsBookWasGiven) {
  TestBook book;
  book.AddPage("index.html", "<p>first</p>");
  book.Settings().title = "First";
  const std::string first = book.Tmp().File("first.bin");
  ASSERT_TRUE(testing::WriteWholeFile(first, book.Bytes()));
  book.Settings().title = "Second";
  book.Settings().esbn = "SECOND";
  ReaderContext one;
  ReaderContext two;
  FakeWindow oneWindow{one.window};
  FakeWindow twoWindow{two.window};
  one.book.SetFile(first);
  book.WriteFor(two);

  ASSERT_EQ(LoadBook(two).reason, LoadResult::Reason::kNone);
  ASSERT_EQ(LoadBook(one).reason, LoadResult::Reason::kNone);
  EXPECT_EQ(one.book.Title(), "First");
  EXPECT_EQ(two.book.Title(), "Second");
  EXPECT_EQ(two.book.File(), book.Path());
  EXPECT_EQ(two.book.ProgramPath(), book.Path());
  // A load keeps the file, so the same reader reads the same book again.
  ASSERT_EQ(LoadBook(one).reason, LoadResult::Reason::kNone);
  EXPECT_EQ(one.book.File(), first);
}

TEST(CEBookLoadTest, StartPageKeepsTheStoredCase) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("INDEX.HTM", "<p>old</p>");
  book.AddPage("a.html", "<p>a</p>");
  book.WriteFor(context);
  LoadBook(context);
  EXPECT_EQ(context.book.StartPage(), book.Folder() + "INDEX.HTM");
}

// The caller shows the message and picks the about page (the session's tests show that).
TEST(CEBookLoadTest, BookWithoutIndexLoadsWithoutAStartPageAndSaysWhy) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("chapter.html", "<p>1</p>");
  book.WriteFor(context);
  const LoadResult result = LoadBook(context);
  EXPECT_EQ(result.reason, LoadResult::Reason::kNoIndexPage);
  EXPECT_FALSE(result.IsFatal());
  EXPECT_EQ(result.Message(), "Index file not found!\n\nThis E-Book seems to be corrupted.");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(context.book.StartPage().empty());
  EXPECT_EQ(book.Extracted("chapter.html"), "<p>1</p>");
}

TEST(CEBookLoadTest, PlainTextVariablesBecomeHtmlOnceOthersStayAsStored) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "x");
  book.AddVariable("one", "a<b", 1);
  book.AddVariable("two", "<b>bold</b>", 2);
  book.AddVariable("three", "c<d", 3);
  book.WriteFor(context);
  LoadBook(context);
  const auto& vars = context.book.Variables();
  ASSERT_EQ(vars.size(), 3u);
  EXPECT_NE(vars[0].value.find("&lt;"), std::string::npos) << vars[0].value;
  EXPECT_EQ(vars[1].value, "<b>bold</b>");
  EXPECT_NE(vars[2].value.find("&lt;"), std::string::npos) << vars[2].value;
}

TEST(CEBookLoadTest, OnlyFlaggedPagesHaveTheirVariablesExpanded) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.Settings().title = "My Title";
  book.AddPage("index.html", "<h1>[={title}]</h1>").expandVariables = true;
  book.AddPage("raw.html", "<h1>[={title}]</h1>");
  book.WriteFor(context);
  LoadBook(context);
  EXPECT_EQ(book.Extracted("index.html"), "<h1>My Title</h1>");
  EXPECT_EQ(book.Extracted("raw.html"), "<h1>[={title}]</h1>");
}

TEST(CEBookLoadTest, FilesThatCannotBeExtractedAreSkippedAndTheLoadGoesOn) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("../outside.html", "<p>escape</p>");
  book.AddPage("index.html", "<p>ok</p>");
  book.AddPage("sub\\page.html", "<p>sub</p>");
  book.WriteFor(context);
  LoadBook(context);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(book.Extracted("index.html"), "<p>ok</p>");
  EXPECT_FALSE(PathExists(book.Tmp().PrivateFolder() + "outside.html"));
  // Only the file that could lie in the book folder is recorded for deletion.
  EXPECT_EQ(context.store.WrittenFiles(), (std::set<std::string>{book.Folder() + "index.html"}));
}

// A disk that fills up while the book loads (a limit on file size, in a child): the file
// that cannot be written whole fails alone, silently, is still recorded for deletion, and
// the files after it come out whole.
TEST(CEBookLoadTest, AFileThatCannotBeWrittenWholeFailsAloneAndIsStillRecorded) {
  ReaderContext context;
  constexpr off_t kLimit = 64 * 1024;
  FakeWindow window{context.window};
  TestBook book;
  std::string big;
  for (int i = 0; big.size() < 4 * kLimit; ++i)
    big += std::to_string(i * 7919 % 100003) + " ";
  book.AddPage("index.html", "<p>ok</p>");
  book.AddFile("big.bin", big);
  book.AddFile("big-plain.bin", big, /*packed=*/false);
  book.AddPage("after.html", "<p>[={title}]</p>").expandVariables = true;
  book.Settings().title = "Full";
  book.WriteFor(context);
  testing::FailingEnv env;
  env.LimitFileSize(kLimit);
  EXPECT_EQ(testing::LoadAsTheReaderDoes(context, &env).reason, LoadResult::Reason::kNone);
  EXPECT_EQ(env.Failures(testing::EnvCall::kWrite), 2);
  EXPECT_EQ(context.store.WrittenFiles(),
            (std::set<std::string>{book.Folder() + "index.html", book.Folder() + "big.bin",
                                   book.Folder() + "big-plain.bin", book.Folder() + "after.html"}));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(book.Extracted("index.html"), "<p>ok</p>");
  EXPECT_EQ(book.Extracted("after.html"), "<p>Full</p>");
  for (const char* name : {"big.bin", "big-plain.bin"}) {
    SCOPED_TRACE(name);
    const auto partial = book.Extracted(name);
    ASSERT_TRUE(partial.has_value());
    EXPECT_LE(partial->size(), kLimit);
    EXPECT_EQ(big.compare(0, partial->size(), *partial), 0);
  }
}

TEST(CEBookLoadTest, UnusableTempFolderIsReportedOnceAndNothingIsWritten) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>ok</p>");
  book.AddPage("b.html", "<p>b</p>");
  book.WriteFor(context);
  // TMPDIR, /tmp and XDG_RUNTIME_DIR are all open to other users: no private folder can
  // be had.
  const std::string open = book.Tmp().File("open");
  ASSERT_EQ(mkdir(open.c_str(), 0700), 0);
  ASSERT_EQ(chmod(open.c_str(), 0777), 0);
  testing::ScopedEnv tmpdir("TMPDIR", open);
  testing::ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
  OverrideSystemTempFolder(open);
  LoadBook(context);
  OverrideSystemTempFolder("");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Not enough disk space or other file error!");
  EXPECT_EQ(window.messages[0].style, kOkExclamation);
}

// A damaged container comes back as a fatal result naming the reason; nothing is shown,
// nothing is extracted and the process goes on for the caller to end.
TEST(CEBookFatalLoadTest, DamagedBooksTable) {
  using Reason = LoadResult::Reason;
  const auto fileCount = [](int32_t count) {
    return [count](std::string* bytes) {
      // The file count is the last field before the settings record's end mark.
      testing::PutScrambledInt(bytes, testing::BookLayout(*bytes).reservedList - 8, count);
    };
  };
  const struct {
    const char* what;
    bool withPages;
    std::function<void(std::string*)> damage;
    Reason reason;
    ContainerFailure container;
    const char* message;
  } cases[] = {
      {"trailer end mark", true, [](std::string* b) { (*b)[b->size() - 1] ^= 0x40; },
       Reason::kParseFailed, ContainerFailure::kTrailer,
       "Self Parse Failed\n\nThis E-Book seems to be corrupted."},
      {"directory mark", true,
       [](std::string* b) { (*b)[testing::BookLayout(*b).directory] ^= 0x01; },
       Reason::kParseFailed, ContainerFailure::kDirectory,
       "Self Parse Failed\n\nThis E-Book seems to be corrupted."},
      {"no files", false, [](std::string*) {}, Reason::kNoFiles, ContainerFailure::kNone,
       "No files in E-Book!\n\nThis E-Book seems to be corrupted."},
      {"count 1 for two files", true, fileCount(1), Reason::kCountMismatch, ContainerFailure::kNone,
       "File Counts do not match!\n\nThis E-Book seems to be corrupted."},
      {"count 3 for two files", true, fileCount(3), Reason::kCountMismatch, ContainerFailure::kNone,
       "File Counts do not match!\n\nThis E-Book seems to be corrupted."},
      {"count -1", true, fileCount(-1), Reason::kCountMismatch, ContainerFailure::kNone,
       "File Counts do not match!\n\nThis E-Book seems to be corrupted."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ReaderContext context;
    FakeWindow window{context.window};
    TestBook book;
    if (c.withPages) {
      book.AddPage("index.html", "x");
      book.AddPage("b.html", "y");
    }
    std::string bytes = book.Bytes();
    c.damage(&bytes);
    book.WriteBytesFor(context, bytes);
    const LoadResult result = LoadBook(context);
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(result.container, c.container);
    EXPECT_TRUE(result.IsFatal());
    EXPECT_EQ(result.Message(), c.message);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(context.store.WrittenFiles().empty());
    EXPECT_FALSE(PathExists(book.Folder() + "index.html"));
  }
}

TEST(CEBookFatalLoadTest, FatalLoadLeavesAlreadyWrittenFilesAlone) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "x");
  book.Input().fileCountOverride = 5;
  book.WriteFor(context);
  const std::string stale = book.Tmp().PrivateFolder() + "keep.txt";
  ASSERT_TRUE(testing::WriteWholeFile(stale, "kept"));
  EXPECT_EQ(LoadBook(context).reason, LoadResult::Reason::kCountMismatch);
  EXPECT_TRUE(PathExists(stale));
}

}  // namespace
}  // namespace quire
