// The attacker's side of the private temporary folder: another user (or a damaged book)
// prepares links, foreign folders and hostile file names, and the reader must refuse or
// make each safe without writing anywhere else. Each start-up runs in a child process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/book_fixture.h"
#include "support/scoped_env.h"
#include "support/startup_run.h"

namespace quire {
namespace {

using testing::EverythingUnder;
using testing::ReadWholeFile;
using testing::RunStartupInChild;
using testing::ScopedEnv;
using testing::StartupRun;
using testing::TestBook;
using testing::WriteWholeFile;

constexpr const char* kFolderError = "Not enough disk space or other file error!";
constexpr const char* kNoIndexNotice =
    "Index file not found!\n\nThis E-Book seems to be corrupted.";
constexpr uid_t kSomeoneElse = 65534;  // nobody

// A book, and a folder of the attacker's beside the private folder with one file in it
// that must stay exactly as it is.
struct AttackScene {
  AttackScene() {
    book.AddPage("index.html", "<p>start</p>");
    book.AddFile("packed.txt", std::string(3000, 'p') + "end");
    attacker = book.Tmp().File("attacker");
    EXPECT_EQ(mkdir(attacker.c_str(), 0700), 0);
    EXPECT_TRUE(WriteWholeFile(attacker + "/sentinel.html", "attacker's own"));
  }

  std::string Private() const { return book.Tmp().Path() + "/quire-" + std::to_string(geteuid()); }
  std::string Folder() const { return Private() + "/" + TestBook::kEsbn + ".k9w"; }

  void ExpectAttackerFolderUntouched() {
    EXPECT_EQ(EverythingUnder(attacker), std::vector<std::string>{"sentinel.html"});
    EXPECT_EQ(ReadWholeFile(attacker + "/sentinel.html"), "attacker's own");
  }

  TestBook book;
  std::string attacker;
};

// chown needs privileges; without them the case cannot be set up.
bool GiveAway(const std::string& path) {
  return chown(path.c_str(), kSomeoneElse, kSomeoneElse) == 0;
}

// A private folder that is not the user's own (another user made it first, it is a link,
// others may write to it) is never used, and the book opens anyway from another private
// folder ($XDG_RUNTIME_DIR/quire here); the user is told once. A book folder of the wrong
// kind inside the user's own private folder is refused with the folder error.
TEST(TempFolderAttackTest, PreparedPrivateOrBookFoldersAreNeverUsed) {
  struct Case {
    const char* what;
    bool withSplash;
    // Prepares the attack; false when this machine cannot (no privilege to give away).
    std::function<bool(AttackScene&)> prepare;
    // True: the book opens from the other private folder; false: the folder error.
    bool opensElsewhere;
  };
  auto link = [](const std::string& target, const std::string& path) {
    return symlink(target.c_str(), path.c_str()) == 0;
  };
  const Case cases[] = {
      {"private folder is a link to the attacker's folder", true,
       [&](AttackScene& t) { return link(t.attacker, t.Private()); }, true},
      {"private folder is a link, book without splash", false,
       [&](AttackScene& t) { return link(t.attacker, t.Private()); }, true},
      {"private folder is a dangling link", false,
       [&](AttackScene& t) { return link(t.attacker + "/missing", t.Private()); }, true},
      {"private folder belongs to someone else", true,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && GiveAway(t.Private());
       },
       true},
      {"private folder made first by someone else, open to all", true,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && chmod(t.Private().c_str(), 0777) == 0 &&
                GiveAway(t.Private());
       },
       true},
      {"private folder writable by others", false,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && chmod(t.Private().c_str(), 0777) == 0;
       },
       true},
      {"private folder is a file", false,
       [](AttackScene& t) { return WriteWholeFile(t.Private(), "x"); }, true},
      {"book folder is a link to the attacker's folder", false,
       [&](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && link(t.attacker, t.Folder());
       },
       false},
      {"book folder belongs to someone else", false,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && mkdir(t.Folder().c_str(), 0700) == 0 &&
                GiveAway(t.Folder());
       },
       false},
      {"book folder writable by its group", false,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && mkdir(t.Folder().c_str(), 0700) == 0 &&
                chmod(t.Folder().c_str(), 0770) == 0;
       },
       false},
      {"book folder writable by others", false,
       [](AttackScene& t) {
         return mkdir(t.Private().c_str(), 0700) == 0 && mkdir(t.Folder().c_str(), 0700) == 0 &&
                chmod(t.Folder().c_str(), 0777) == 0;
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto t = std::make_unique<AttackScene>();  // a fresh book and folders per case
    const std::string runtime = t->book.Tmp().File("run");
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime);
    if (c.withSplash)
      t->book.Input().splashBitmap = "BM" + std::string(40, 's');
    t->book.Write();
    if (!c.prepare(*t)) {
      std::printf("[  SKIPPED ] %s: cannot be prepared here\n", c.what);
      continue;
    }
    const StartupRun run = RunStartupInChild(t->book.Path());
    ASSERT_TRUE(run.exited) << run.otherOutput;
    EXPECT_EQ(run.exitCode, 0);
    if (c.opensElsewhere) {
      EXPECT_TRUE(run.loaded);
      EXPECT_EQ(run.startPage, runtime + "/quire/" + TestBook::kEsbn + ".k9w/index.html");
      EXPECT_EQ(run.messages,
                std::vector<std::string>{t->Private() +
                                         " is not a private folder of this user (it is another "
                                         "user's, a link, or open to others); the book's files "
                                         "go to " +
                                         runtime + "/quire/ instead"});
    } else {
      EXPECT_EQ(run.messages, std::vector<std::string>{kFolderError});
    }
    t->ExpectAttackerFolderUntouched();
    // The files the book holds were written nowhere else: the prepared folders hold
    // nothing new.
    struct stat st {};
    if (lstat(t->Folder().c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      EXPECT_EQ(EverythingUnder(t->Folder()), std::vector<std::string>{});
    }
    // A folder of someone else's is not ours to remove; give it back for the cleanup.
    if (lstat(t->Private().c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
      chown(t->Private().c_str(), geteuid(), getegid());
    if (lstat(t->Folder().c_str(), &st) == 0 && !S_ISLNK(st.st_mode))
      chown(t->Folder().c_str(), geteuid(), getegid());
  }
}

// Links left in the private and book folders, under the names of the book's files and of
// the reader's intermediate files, are never followed: what they point at stays as it
// is. Those in the private folder are not the reader's to remove; those in a book folder
// nobody holds go when the folder is claimed, and the book's own files take their names.
TEST(TempFolderAttackTest, LinksInPlaceOfFilesAreNeverFollowed) {
  AttackScene t;
  TestBook& book = t.book;
  const std::string& attacker = t.attacker;
  const std::string privateFolder = t.Private();
  const std::string bookFolder = t.Folder();
  book.Input().splashBitmap = "BM" + std::string(40, 's');
  book.Write();
  ASSERT_EQ(mkdir(privateFolder.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(bookFolder.c_str(), 0700), 0);
  const std::string target = attacker + "/sentinel.html";
  const std::vector<std::string> links = {bookFolder + "/index.html", bookFolder + "/packed.txt",
                                          privateFolder + "/unc",     privateFolder + "/unc1.tmp",
                                          privateFolder + "/bmp",     privateFolder + "/bmp1.tmp"};
  for (const std::string& path : links)
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0) << path;

  const StartupRun run = RunStartupInChild(book.Path());
  ASSERT_TRUE(run.exited) << run.otherOutput;
  EXPECT_TRUE(run.loaded);
  t.ExpectAttackerFolderUntouched();
  for (const std::string& path : links) {
    SCOPED_TRACE(path);
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_EQ(S_ISLNK(st.st_mode), path.rfind(bookFolder, 0) != 0);
  }
  EXPECT_EQ(book.Extracted("index.html"), "<p>start</p>");
  EXPECT_EQ(book.Extracted("packed.txt"), std::string(3000, 'p') + "end");
}

// Whatever a reader that did not end cleanly left under the book's names in a folder
// nobody holds (a pipe, which must not stall the start-up, a folder, a file open to all)
// is gone before the book's own files are extracted, and they are private.
TEST(TempFolderAttackTest, PipesFoldersAndOldFilesUnderTheBooksNames) {
  AttackScene t;
  t.book.AddFile("old.txt", "new contents", /*packed=*/false);
  t.book.Write();
  ASSERT_EQ(mkdir(t.Private().c_str(), 0700), 0);
  ASSERT_EQ(mkdir(t.Folder().c_str(), 0700), 0);
  ASSERT_EQ(mkfifo((t.Folder() + "/index.html").c_str(), 0600), 0);
  ASSERT_EQ(mkdir((t.Folder() + "/packed.txt").c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(t.Folder() + "/old.txt", std::string(9000, 'o')));
  ASSERT_EQ(chmod((t.Folder() + "/old.txt").c_str(), 0666), 0);

  const StartupRun run = RunStartupInChild(t.book.Path());
  ASSERT_FALSE(run.timedOut) << "the start-up stalled on the pipe";
  ASSERT_TRUE(run.exited) << run.otherOutput;
  EXPECT_TRUE(run.loaded);
  for (const char* name : {"index.html", "packed.txt", "old.txt"}) {
    struct stat st {};
    ASSERT_EQ(lstat((t.Folder() + "/" + name).c_str(), &st), 0) << name;
    ASSERT_TRUE(S_ISREG(st.st_mode)) << name;  // reading a pipe would wait for ever
    EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
  }
  EXPECT_EQ(t.book.Extracted("index.html"), "<p>start</p>");
  EXPECT_EQ(t.book.Extracted("packed.txt"), std::string(3000, 'p') + "end");
  EXPECT_EQ(t.book.Extracted("old.txt"), "new contents");
  t.ExpectAttackerFolderUntouched();
}

// Stored names that try to leave the book folder are not extracted; the plain ones are,
// and nothing appears anywhere else.
TEST(TempFolderAttackTest, NamesThatLeaveTheFolderAreNotExtracted) {
  AttackScene t;
  TestBook& book = t.book;
  const std::string absolute = book.Tmp().File("absolute.html");
  const std::vector<std::string> names = {"../escape.html",
                                          "../../escape.html",
                                          absolute,
                                          "..\\escape.html",
                                          "sub/inner.html",
                                          "sub\\inner.html",
                                          "",
                                          ".",
                                          "..",
                                          "/"};
  for (const std::string& name : names)
    book.AddFile(name, "hostile", false);
  book.Write();

  const StartupRun run = RunStartupInChild(book.Path());
  ASSERT_TRUE(run.exited) << run.otherOutput;
  EXPECT_TRUE(run.loaded);
  EXPECT_EQ(run.messages, std::vector<std::string>{});
  EXPECT_EQ(run.startPage, book.Folder() + "index.html");
  const std::string privateName = "quire-" + std::to_string(geteuid());
  const std::string folderName = privateName + "/" + TestBook::kEsbn + ".k9w";
  EXPECT_EQ(EverythingUnder(book.Tmp().Path()),
            (std::vector<std::string>{"attacker", "attacker/sentinel.html", "book.bin", privateName,
                                      folderName, folderName + "/index.html",
                                      folderName + "/packed.txt"}));
}

// Stored names that are the reader's own generated pages or the names its intermediate
// files once had: the files land in the book folder, the intermediates stay apart in the
// private folder, and where the reader writes a page of its own, its page is the one
// shown.
TEST(TempFolderAttackTest, NamesOfTheReadersOwnFilesGetTheReadersContent) {
  TestBook other;
  other.Settings().title = "Own Title";
  other.AddFile("__about.html", "<p>the book's fake about page</p>");
  other.AddFile("__search.html", "<p>fake results</p>");
  other.AddFile("unc1.tmp", "not an intermediate");
  other.AddFile("bmp1.tmp", "not a picture");
  other.AddFile("data.txt", std::string(5000, 'd') + "end");
  other.Input().splashBitmap = "BM" + std::string(40, 's');
  other.Write();

  const StartupRun run = RunStartupInChild(other.Path());
  ASSERT_TRUE(run.exited) << run.otherOutput;
  ASSERT_TRUE(run.loaded);
  // No index page: the generated about page replaces the book's file of that name.
  EXPECT_EQ(run.messages, std::vector<std::string>{kNoIndexNotice});
  EXPECT_EQ(run.startPage, other.Folder() + "__about.html");
  const auto about = other.Extracted("__about.html");
  ASSERT_TRUE(about.has_value());
  EXPECT_EQ(about->find("fake about"), std::string::npos);
  EXPECT_NE(about->find("Own Title"), std::string::npos);
  EXPECT_EQ(other.Extracted("unc1.tmp"), "not an intermediate");
  EXPECT_EQ(other.Extracted("bmp1.tmp"), "not a picture");
  EXPECT_EQ(other.Extracted("data.txt"), std::string(5000, 'd') + "end");
  // Every intermediate file was removed again; the private folder holds only the book folder.
  const std::string folderName = TestBook::kEsbn + std::string(".k9w");
  for (const std::string& path : EverythingUnder(other.Tmp().PrivateFolder()))
    EXPECT_EQ(path.rfind(folderName, 0), 0u) << path;
}

}  // namespace
}  // namespace quire
