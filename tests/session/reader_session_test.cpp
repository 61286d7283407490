#include "session/reader_session.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <functional>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/about_page.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::TestBook;

constexpr const char* kDamagedTrailer =
    "This E-Book appears to be corrupted. If you downloaded from the Internet try downloading "
    "it again.";

TEST(ReaderSessionLoadTest, SoundBookStartsAtItsIndexPageAndShowsNothing) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>hi</p>");
  book.WriteFor(context);
  ReaderSession session(context);
  EXPECT_FALSE(session.ReadOwnBook());
  const StartupFailure failure = session.LoadBook();
  EXPECT_EQ(session.BookId(), context.book.Trailer().bookId);
  EXPECT_FALSE(failure);
  EXPECT_EQ(failure.kind, StartupFailure::Kind::kNone);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(context.book.StartPage(), book.Folder() + "index.html");
}

TEST(ReaderSessionLoadTest, BookWithoutIndexSaysSoOnceAndStartsOnTheAboutPage) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("chapter.html", "<p>1</p>");
  book.WriteFor(context);
  ReaderSession session(context);
  EXPECT_FALSE(session.LoadBook());
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Index file not found!\n\nThis E-Book seems to be corrupted.");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
  EXPECT_FALSE(context.book.StartPage().empty());
  EXPECT_EQ(context.book.StartPage(), BuildAboutPage(context));
}

// The fatal load comes back to the caller, which shows the text and ends the process
// with exit code 0; the session itself shows nothing.
TEST(ReaderSessionLoadTest, DamagedBooksComeBackAsFatalFailuresWithTheirText) {
  ReaderContext context;
  const struct {
    const char* what;
    std::function<void(TestBook&, std::string*)> damage;
    LoadResult::Reason reason;
    const char* message;
  } cases[] = {
      {"damaged settings record",
       [](TestBook& b, std::string* bytes) {
         b.AddPage("index.html", "x");
         *bytes = b.Bytes();
         (*bytes)[testing::BookLayout(*bytes).settings] ^= 0x01;
       },
       LoadResult::Reason::kParseFailed, "Self Parse Failed\n\nThis E-Book seems to be corrupted."},
      {"no files", [](TestBook& b, std::string* bytes) { *bytes = b.Bytes(); },
       LoadResult::Reason::kNoFiles, "No files in E-Book!\n\nThis E-Book seems to be corrupted."},
      {"wrong file count",
       [](TestBook& b, std::string* bytes) {
         b.AddPage("index.html", "x");
         b.Input().fileCountOverride = 2;
         *bytes = b.Bytes();
       },
       LoadResult::Reason::kCountMismatch,
       "File Counts do not match!\n\nThis E-Book seems to be corrupted."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWindow window{context.window};
    TestBook book;
    std::string bytes;
    c.damage(book, &bytes);
    book.WriteBytesFor(context, bytes);
    ReaderSession session(context);
    const StartupFailure failure = session.LoadBook();
    EXPECT_TRUE(failure);
    EXPECT_EQ(failure.kind, StartupFailure::Kind::kFatalLoad);
    EXPECT_EQ(failure.message, c.message);
    EXPECT_EQ(failure.exitCode, 0);
    EXPECT_EQ(failure.load.reason, c.reason);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_FALSE(session.IsShutDown());
  }
}

TEST(ReaderSessionLoadTest, DamagedTrailerIsTheCorruptedBookNotice) {
  ReaderContext context;
  for (const char* bytes : {"", "short", "a file much longer than nothing but still no book"}) {
    SCOPED_TRACE(bytes);
    FakeWindow window{context.window};
    TestBook book;
    book.WriteBytesFor(context, bytes);
    ReaderSession session(context);
    const StartupFailure failure = session.ReadOwnBook();
    EXPECT_EQ(failure.kind, StartupFailure::Kind::kCorrupted);
    EXPECT_EQ(failure.message, kDamagedTrailer);
    EXPECT_EQ(failure.exitCode, 0);
    EXPECT_TRUE(session.SplashPath().empty());
    EXPECT_TRUE(window.messages.empty());
  }
}

TEST(ReaderSessionShutdownTest, RemovesWhatTheLoadWroteOnce) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>hi</p>");
  book.WriteFor(context);
  ReaderSession session(context);
  ASSERT_FALSE(session.LoadBook());
  ASSERT_TRUE(book.Extracted("index.html").has_value());
  session.Shutdown();
  EXPECT_TRUE(session.IsShutDown());
  EXPECT_FALSE(book.Extracted("index.html").has_value());
  EXPECT_FALSE(testing::PathExists(book.Folder()));
  session.Shutdown();  // a second call does nothing
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace quire
