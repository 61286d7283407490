#include "book/page_store.h"
#include "pages/reader_context.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "book/cebook.h"
#include "platform/file_write.h"
#include "support/fake_window.h"
#include "support/scoped_tmpdir.h"
#include "support/startup_run.h"

namespace quire {
namespace {

using testing::PathExists;
using testing::ReadWholeFile;
using testing::WriteWholeFile;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

class PageStoreTest : public ::testing::Test {
 protected:
  PageStoreTest() { UseEsbn("BOOK-1"); }
  void UseEsbn(const std::string& esbn) { UseEsbn(context, esbn); }
  // Another reader (another process, or one started later) gets its own context.
  static void UseEsbn(ReaderContext& reader, const std::string& esbn) {
    EBookSettings settings = DefaultSettings();
    settings.esbn = esbn;
    reader.book.SetRecords(settings, {}, {});
  }
  std::string Temp() const { return tmp.PrivateFolder(); }
  const std::vector<std::string>& Folders() const { return context.store.CreatedFolders(); }

  testing::ScopedTmpdir tmp;
  ReaderContext context;
  testing::FakeWindow window{context.window};
};

TEST_F(PageStoreTest, BookFolderIsMadePrivateOnceAndRecorded) {
  const std::string folder = context.store.BookFolder();
  EXPECT_EQ(folder, Temp() + "BOOK-1.k9w/");
  EXPECT_EQ(ModeOf(folder), 0700u);
  EXPECT_EQ(context.store.BookFolder(), folder);
  EXPECT_EQ(Folders(), (std::vector<std::string>{Temp() + "BOOK-1.k9w"}));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(PageStoreTest, BookFolderRemovedMeanwhileIsMadeAgain) {
  const std::string folder = context.store.BookFolder();
  ASSERT_EQ(rmdir(folder.c_str()), 0);
  EXPECT_EQ(context.store.BookFolder(), folder);
  EXPECT_TRUE(context.store.WritePageFile(folder + "__search.html", "results"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Folders().size(), 2u);
}

TEST_F(PageStoreTest, EsbnNamesTheFolderAndCannotLeadOutOfIt) {
  const struct {
    const char* esbn;
    const char* folder;
  } cases[] = {
      {"", ".k9w/"},
      {"ISBN 1-2", "ISBN 1-2.k9w/"},
      {"../../etc", ".._.._etc.k9w/"},
      {"a\\b", "a_b.k9w/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.esbn);
    UseEsbn(c.esbn);
    EXPECT_EQ(context.store.BookFolder(), Temp() + c.folder);
    EXPECT_TRUE(PathExists(Temp() + c.folder));
  }
}

// Another reader holding a folder: a separate lock on it, as another process has.
class OtherReader {
 public:
  explicit OtherReader(const std::string& folder)
      : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    EXPECT_GE(m_fd, 0) << folder;
    EXPECT_EQ(flock(m_fd, LOCK_EX | LOCK_NB), 0) << folder;
  }
  ~OtherReader() { close(m_fd); }

 private:
  int m_fd;
};

TEST_F(PageStoreTest, ABookWithTheSameEsbnRunningGetsAFolderOfItsOwn) {
  const std::string primary = Temp() + "BOOK-1.k9w/";
  ReaderContext firstReader;
  ASSERT_TRUE(firstReader.store.MakeFolderPath(primary));
  ASSERT_TRUE(WriteWholeFile(primary + "index.html", "the first book's page"));
  {
    OtherReader first(primary);
    EXPECT_EQ(context.store.BookFolder(), Temp() + "BOOK-1-2.k9w/");
    EXPECT_EQ(context.store.BookFolder(), Temp() + "BOOK-1-2.k9w/");  // kept, not taken anew
    ASSERT_TRUE(context.store.WritePageFile(context.store.BookFolder() + "index.html",
                                            "the second book's page"));
    EXPECT_EQ(Folders(), (std::vector<std::string>{Temp() + "BOOK-1-2.k9w"}));
    context.store.Cleanup();
    EXPECT_FALSE(PathExists(Temp() + "BOOK-1-2.k9w"));
    EXPECT_EQ(ReadWholeFile(primary + "index.html"), "the first book's page");
  }
  // Once the first reader has ended, its folder is free again and keeps its name.
  ReaderContext laterReader;
  UseEsbn(laterReader, "BOOK-1");
  EXPECT_EQ(laterReader.store.BookFolder(), primary);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(PageStoreTest, TwoProcessesOfBooksWithTheSameEsbnNeverShareAFolder) {
  const std::string first = context.store.BookFolder();
  ASSERT_TRUE(context.store.WritePageFile(first + "__search.html", "first"));
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // A fresh reader process of another book with the same ESBN.
    close(fds[0]);
    ReaderContext other;
    UseEsbn(other, "BOOK-1");
    const std::string second = other.store.BookFolder();
    const bool wrote = other.store.WritePageFile(second + "__search.html", "second");
    other.store.Cleanup();
    const std::string report = (wrote ? "1" : "0") + second;
    _exit(WriteAllBytes(fds[1], report) ? 0 : 1);
  }
  close(fds[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(report, "1" + Temp() + "BOOK-1-2.k9w/");
  EXPECT_EQ(ReadWholeFile(first + "__search.html"), "first");
  EXPECT_FALSE(PathExists(Temp() + "BOOK-1-2.k9w"));
}

TEST_F(PageStoreTest, FolderThatCannotBeMadeIsReportedAndWritesIntoItFail) {
  ASSERT_TRUE(WriteWholeFile(Temp() + "BOOK-1.k9w", "a file"));
  const std::string folder = context.store.BookFolder();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Not enough disk space or other file error!");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
  EXPECT_EQ(folder.back(), '/');
  EXPECT_FALSE(context.store.WritePageFile(folder + "__about.html", "x"));
}

// What a reader that did not end cleanly left is never this run's: the folder is emptied
// when claimed (folders, links and pipes too, links without following them), then reused
// without being recorded, so the folder itself stays at shutdown.
TEST_F(PageStoreTest, FolderLeftFromAnEarlierRunIsEmptiedAndReusedButNotRecorded) {
  const std::string folder = Temp() + "BOOK-1.k9w/";
  const std::string outside = tmp.File("outside.html");
  ASSERT_TRUE(WriteWholeFile(outside, "not the reader's"));
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(folder + "old.html", "from the crashed run"));
  ASSERT_TRUE(WriteWholeFile(folder + "index.html", "stale"));
  ASSERT_TRUE(WriteWholeFile(folder + "__pxa__old.so", "a library of the old run"));
  ASSERT_EQ(mkdir((folder + "sub").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((folder + "sub/deeper").c_str(), 0500), 0);  // not even writable
  ASSERT_EQ(mkdir((folder + "sub/deep").c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(folder + "sub/deep/page.html", "old"));
  ASSERT_EQ(symlink(outside.c_str(), (folder + "link.html").c_str()), 0);
  ASSERT_EQ(symlink(tmp.Path().c_str(), (folder + "sub/up").c_str()), 0);
  ASSERT_EQ(mkfifo((folder + "pipe").c_str(), 0600), 0);

  EXPECT_EQ(context.store.BookFolder(), folder);
  EXPECT_EQ(testing::EverythingUnder(folder), std::vector<std::string>{});
  EXPECT_EQ(ReadWholeFile(outside), "not the reader's");
  EXPECT_TRUE(Folders().empty());
  ASSERT_TRUE(context.store.WritePageFile(folder + "index.html", "fresh"));
  EXPECT_EQ(ReadWholeFile(folder + "index.html"), "fresh");

  context.store.Cleanup();
  EXPECT_FALSE(PathExists(folder + "index.html"));
  EXPECT_TRUE(PathExists(folder));
  EXPECT_EQ(ReadWholeFile(outside), "not the reader's");
  EXPECT_TRUE(window.messages.empty());
}

// A reader killed with SIGKILL keeps nothing: the next book with the same ESBN takes the
// same folder, empty. One still running keeps its folder and every file in it.
TEST_F(PageStoreTest, AKilledRunsFilesAreGoneForTheNextBookOfTheSameEsbn) {
  for (const bool killed : {true, false}) {
    SCOPED_TRACE(killed ? "the first reader was killed" : "the first reader runs");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t first = fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
      close(ready[0]);
      ReaderContext firstReader;
      UseEsbn(firstReader, "BOOK-1");
      const std::string folder = firstReader.store.BookFolder();
      const bool wrote =
          firstReader.store.WritePageFile(folder + "index.html", "the first book's page") &&
          firstReader.store.WritePageFile(folder + "__pxa__first.so", "the first book's library");
      [[maybe_unused]] bool told = WriteAllBytes(ready[1], wrote ? folder : "");
      close(ready[1]);
      pause();  // until killed
      _exit(0);
    }
    close(ready[1]);
    std::string firstFolder;
    char buffer[512];
    for (ssize_t n; (n = read(ready[0], buffer, sizeof buffer)) > 0;)
      firstFolder.append(buffer, static_cast<size_t>(n));
    close(ready[0]);
    ASSERT_EQ(firstFolder, Temp() + "BOOK-1.k9w/");
    if (killed) {
      kill(first, SIGKILL);
      ASSERT_EQ(waitpid(first, nullptr, 0), first);
    }

    ReaderContext secondReader;
    UseEsbn(secondReader, "BOOK-1");
    const std::string second = secondReader.store.BookFolder();
    if (killed) {
      EXPECT_EQ(second, firstFolder);
      EXPECT_EQ(testing::EverythingUnder(second), std::vector<std::string>{});
    } else {
      EXPECT_EQ(second, Temp() + "BOOK-1-2.k9w/");
      EXPECT_EQ(testing::EverythingUnder(second), std::vector<std::string>{});
      EXPECT_EQ(ReadWholeFile(firstFolder + "index.html"), "the first book's page");
      EXPECT_EQ(ReadWholeFile(firstFolder + "__pxa__first.so"), "the first book's library");
      kill(first, SIGKILL);
      ASSERT_EQ(waitpid(first, nullptr, 0), first);
    }
    secondReader.store.Cleanup();
  }
}

TEST_F(PageStoreTest, BookFolderThatIsNotPrivateIsRefused) {
  const std::string folder = Temp() + "BOOK-1.k9w";
  ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
  ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
  context.store.BookFolder();
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Not enough disk space or other file error!");
}

TEST_F(PageStoreTest, PageWrittenTwiceIsRecordedOnceAndDeletedOnce) {
  const std::string page = context.store.BookFolder() + "__search.html";
  ASSERT_TRUE(context.store.WritePageFile(page, "first search, longer text"));
  ASSERT_TRUE(context.store.WritePageFile(page, "second"));
  EXPECT_EQ(ReadWholeFile(page), "second");
  EXPECT_EQ(ModeOf(page), 0600u);
  EXPECT_EQ(context.store.WrittenFiles(), (std::set<std::string>{page}));
  context.store.Cleanup();
  EXPECT_FALSE(PathExists(page));
}

TEST_F(PageStoreTest, CleanupRemovesAMadeFolderOnlyWhenNothingUnrecordedRemains) {
  const std::string folder = context.store.BookFolder();
  ASSERT_TRUE(context.store.WritePageFile(folder + "__about.html", "a"));
  ASSERT_TRUE(WriteWholeFile(folder + "unrecorded.txt", "u"));
  context.store.Cleanup();
  EXPECT_FALSE(PathExists(folder + "__about.html"));
  EXPECT_TRUE(PathExists(folder + "unrecorded.txt"));

  ASSERT_EQ(unlink((folder + "unrecorded.txt").c_str()), 0);
  context.store.Cleanup();  // records are kept, so a second run finishes the job
  EXPECT_FALSE(PathExists(folder));
  EXPECT_TRUE(PathExists(Temp()));
}

TEST_F(PageStoreTest, WriteFailuresSayDiskErrorAndReturnFalse) {
  EXPECT_FALSE(context.store.WritePageFile(Temp() + "missing/__jump.html", "x"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Disk error - out of space ?");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
  EXPECT_TRUE(context.store.WrittenFiles().empty());

  // Created but not written completely: reported, and still recorded.
  EXPECT_FALSE(context.store.WritePageFile("/dev/full", "no room"));
  EXPECT_EQ(window.messages.size(), 2u);
  EXPECT_EQ(context.store.WrittenFiles().count("/dev/full"), 1u);
}

TEST_F(PageStoreTest, MakeFolderPathMakesAndRecordsEachMissingFolderInOrder) {
  const std::string base = Temp();
  ASSERT_TRUE(context.store.MakeFolderPath(base + "a/b/c/"));
  EXPECT_EQ(Folders(), (std::vector<std::string>{base + "a", base + "a/b", base + "a/b/c"}));
  EXPECT_EQ(ModeOf(base + "a/b"), 0700u);
  ASSERT_TRUE(context.store.MakeFolderPath(base + "a/b/d/"));
  EXPECT_EQ(Folders().size(), 4u);
  EXPECT_EQ(Folders().back(), base + "a/b/d");
}

TEST_F(PageStoreTest, MakeFolderPathFailsOnFilesLinksAndSharedFolders) {
  const std::string base = Temp();
  ASSERT_TRUE(WriteWholeFile(base + "file", "x"));
  EXPECT_FALSE(context.store.MakeFolderPath(base + "file/sub/"));
  EXPECT_FALSE(context.store.MakeFolderPath(base + "file/"));

  ASSERT_EQ(mkdir((base + "real").c_str(), 0700), 0);
  ASSERT_EQ(symlink((base + "real").c_str(), (base + "link").c_str()), 0);
  EXPECT_FALSE(context.store.MakeFolderPath(base + "link/"));

  ASSERT_EQ(mkdir((base + "shared").c_str(), 0700), 0);
  ASSERT_EQ(chmod((base + "shared").c_str(), 0775), 0);
  EXPECT_FALSE(context.store.MakeFolderPath(base + "shared/"));
  EXPECT_TRUE(Folders().empty());
}

// A refused book folder may exist and be writable (a link to another folder, one that
// others may write to): the folder handed out then takes no writes at all.
TEST_F(PageStoreTest, RefusedBookFolderTakesNoFiles) {
  const std::string elsewhere = tmp.File("elsewhere");
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
  const std::string link = Temp() + "BOOK-1.k9w";
  ASSERT_EQ(symlink(elsewhere.c_str(), link.c_str()), 0);
  const std::string viaLink = context.store.BookFolder();
  EXPECT_NE(viaLink, link + "/");
  EXPECT_FALSE(context.store.WritePageFile(viaLink + "__about.html", "x"));
  EXPECT_FALSE(PathExists(elsewhere + "/__about.html"));

  ASSERT_EQ(unlink(link.c_str()), 0);
  ASSERT_EQ(mkdir(link.c_str(), 0700), 0);
  ASSERT_EQ(chmod(link.c_str(), 0777), 0);
  const std::string shared = context.store.BookFolder();
  EXPECT_NE(shared, link + "/");
  EXPECT_FALSE(context.store.WritePageFile(shared + "__about.html", "x"));
  EXPECT_FALSE(PathExists(link + "/__about.html"));
  EXPECT_EQ(window.messages.size(), 4u);  // each refusal says so, each failed write too
}

}  // namespace
}  // namespace quire
