// Books that keep their folders: every file comes out at its own path, the folders are
// made inside the book folder only and removed at exit, programs get their execute
// permission, and books without the feature record read as they always did. The
// attacker's side: links and foreign folders put where the reader makes its folders,
// before and while it extracts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "book/page_store.h"
#include "book/stored_name.h"
#include "pages/reader_context.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/startup_run.h"
#include "support/write_locked_folder.h"

namespace quire {
namespace {

using testing::EverythingUnder;
using testing::FakeWindow;
using testing::PathExists;
using testing::ReadWholeFile;
using testing::TestBook;
using testing::WriteWholeFile;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A book of ours (it carries the feature record) or any other book.
struct FolderBook {
  explicit FolderBook(bool ours = true) { book.Input().features.recorded = ours; }

  // A file that is not packed (so a test may look at its bytes in the book) unless asked.
  void Add(const std::string& name, const std::string& contents, bool packed = true) {
    book.AddFile(name, contents, packed);
  }

  // Loads the book in this process as the reader does; `during` runs while the file
  // `trigger` (stored with the expand flag) is extracted, between the files before it and
  // those after.
  LoadResult Load(const std::string& trigger = "", std::function<void()> during = nullptr) {
    for (BookFileInput& f : book.Input().files)
      f.entry.expandVariables = f.entry.fileName == trigger;
    book.WriteFor(context);
    BookLoadSteps steps;
    steps.expandPage = [during](std::string*) {
      if (during)
        during();
    };
    return context.book.Load(context.store, steps);
  }

  std::string Folder() const { return book.Folder(); }
  std::vector<std::string> Tree() const {
    std::string folder = Folder();
    folder.pop_back();
    return EverythingUnder(folder);
  }

  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
};

TEST(FolderExtractionTest, EveryFileComesOutAtItsPathAndGoesAtExit) {
  FolderBook t;
  t.book.AddPage("index.html", "<p>start</p>");
  t.Add("library/os.html", "<p>os</p>");
  t.Add("library/os/path.html", "<p>os.path</p>", false);
  t.Add("_static/css/base.css", "body{}");
  t.Add("caf\xC3\xA9 #1/a b%20.html", "odd names");
  ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);

  EXPECT_EQ(t.context.book.StartPage(), t.Folder() + "index.html");
  EXPECT_EQ(t.Tree(), (std::vector<std::string>{"_static", "_static/css", "_static/css/base.css",
                                                "caf\xC3\xA9 #1", "caf\xC3\xA9 #1/a b%20.html",
                                                "index.html", "library", "library/os",
                                                "library/os.html", "library/os/path.html"}));
  EXPECT_EQ(t.book.Extracted("library/os/path.html"), "<p>os.path</p>");
  EXPECT_EQ(t.book.Extracted("caf\xC3\xA9 #1/a b%20.html"), "odd names");
  for (const char* folder : {"library", "library/os", "_static", "_static/css"})
    EXPECT_EQ(ModeOf(t.Folder() + folder), 0700u) << folder;
  EXPECT_EQ(ModeOf(t.Folder() + "library/os.html"), 0600u);

  // Each folder is recorded once, as it was made; all of them go at exit.
  std::vector<std::string> made = t.context.store.CreatedFolders();
  std::sort(made.begin(), made.end());
  const std::string base = t.Folder();
  EXPECT_EQ(std::count(made.begin(), made.end(), base + "library"), 1);
  EXPECT_EQ(std::count(made.begin(), made.end(), base + "library/os"), 1);
  t.context.store.Cleanup();
  EXPECT_FALSE(PathExists(t.Folder()));
}

TEST(FolderExtractionTest, NamesAtTheLimitsComeOutAndBeyondThemTheBookIsDamaged) {
  const std::string longPart(kMaxStoredNamePartBytes, 'p');
  std::string deep = "d";
  for (size_t i = 1; i < kMaxStoredNameParts; ++i)
    deep += "/d";
  std::string longName;  // 1024 bytes in parts of 200
  while (longName.size() + 201 < kMaxStoredNameBytes)
    longName += std::string(200, 'n') + "/";
  longName.resize(kMaxStoredNameBytes, 'z');
  {
    FolderBook t;
    t.book.AddPage("index.html", "<p>start</p>");
    t.Add(longPart, "long part");
    t.Add("sub/" + longPart, "long part below");
    t.Add(deep, "deep");
    t.Add(longName, "long name");
    ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);
    EXPECT_EQ(t.book.Extracted(longPart), "long part");
    EXPECT_EQ(t.book.Extracted("sub/" + longPart), "long part below");
    EXPECT_EQ(t.book.Extracted(deep), "deep");
    EXPECT_EQ(t.book.Extracted(longName), "long name");
    t.context.store.Cleanup();
    EXPECT_FALSE(PathExists(t.Folder()));
  }
  for (const std::string& beyond :
       {longPart + "p", "sub/" + longPart + "p", deep + "/d", longName + "z"}) {
    SCOPED_TRACE(beyond.size());
    FolderBook t;
    t.book.AddPage("index.html", "<p>start</p>");
    t.Add(beyond, "x");
    const LoadResult result = t.Load();
    EXPECT_EQ(result.reason, LoadResult::Reason::kParseFailed);
    EXPECT_EQ(result.container, ContainerFailure::kDirectory);
    EXPECT_FALSE(PathExists(t.Folder() + "index.html"));
  }
}

// A book without the feature record (one rebind took over, or any other tool's) reads as it
// always did: its plain names come out, names with folders and overlong names do not, and
// nothing about them is fatal.
TEST(FolderExtractionTest, BooksWithoutTheRecordKeepTheirPlainNamesOnly) {
  FolderBook t(/*ours=*/false);
  t.book.AddPage("index.html", "<p>start</p>");
  t.Add("notes.txt", "plain");
  t.Add("library/os.html", "<p>os</p>");
  t.Add(std::string(kMaxStoredNamePartBytes + 1, 'p'), "too long");
  ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);
  EXPECT_EQ(t.Tree(), (std::vector<std::string>{"index.html", "notes.txt"}));
  EXPECT_TRUE(t.context.store.CreatedFolders().size() <= 2u);  // the private and book folders
}

TEST(FolderExtractionTest, AFileInOneEntryIsNoFolderForAnother) {
  for (bool fileFirst : {true, false}) {
    SCOPED_TRACE(fileFirst);
    FolderBook t;
    t.book.AddPage("index.html", "<p>start</p>");
    if (fileFirst)
      t.Add("guide", "a file");
    t.Add("guide/intro.html", "through a file");
    t.Add("guide/more/deep.html", "through a file too");
    if (!fileFirst)
      t.Add("guide", "a file");
    ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);
    EXPECT_EQ(t.book.Extracted("guide"), "a file");
    EXPECT_EQ(t.Tree(), (std::vector<std::string>{"guide", "index.html"}));
  }
}

TEST(FolderExtractionTest, ProgramsTheBookShipsMayBeStarted) {
  FolderBook t;
  t.book.AddPage("index.html", "<p>start</p>");
  t.Add("tool.sh", "#!/bin/sh\necho hi\n");
  t.Add("bin/tool", std::string("\x7f"
                                "ELF\x02\x01\x01",
                                7) +
                        std::string(100, '\0'));
  t.Add("notes.txt", "#not a script");
  t.Add("hash.txt", "#");
  t.Add("empty.sh", "");
  ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);
  EXPECT_EQ(ModeOf(t.Folder() + "tool.sh"), 0700u);
  EXPECT_EQ(ModeOf(t.Folder() + "bin/tool"), 0700u);
  EXPECT_EQ(ModeOf(t.Folder() + "notes.txt"), 0600u);
  EXPECT_EQ(ModeOf(t.Folder() + "hash.txt"), 0600u);
  EXPECT_EQ(ModeOf(t.Folder() + "empty.sh"), 0600u);
  EXPECT_EQ(ModeOf(t.Folder() + "index.html"), 0600u);
}

// The attacker's side. Another process of the user (a page's helper, a cleaner) changes
// the book folder while the reader extracts into it.
struct FolderAttack : FolderBook {
  FolderAttack() {
    attacker = book.Tmp().File("attacker");
    EXPECT_EQ(mkdir(attacker.c_str(), 0700), 0);
    EXPECT_TRUE(WriteWholeFile(attacker + "/page.html", "attacker's own"));
    book.AddPage("index.html", "<p>start</p>");
  }
  void ExpectAttackerFolderUntouched() {
    EXPECT_EQ(EverythingUnder(attacker), std::vector<std::string>{"page.html"});
    EXPECT_EQ(ReadWholeFile(attacker + "/page.html"), "attacker's own");
  }
  std::string attacker;
};

TEST(FolderExtractionTest, ALinkPlantedWhereAFolderGoesIsNeverFollowed) {
  FolderAttack t;
  t.Add("sub/page.html", "the book's");
  t.Add("sub/deeper/page.html", "the book's");
  t.Add("other/page.html", "the book's");
  ASSERT_EQ(t.Load("index.html",
                   [&] { ASSERT_EQ(symlink(t.attacker.c_str(), (t.Folder() + "sub").c_str()), 0); })
                .reason,
            LoadResult::Reason::kNone);
  t.ExpectAttackerFolderUntouched();
  EXPECT_EQ(t.book.Extracted("other/page.html"), "the book's");
  t.context.store.Cleanup();
  // The link is not the reader's: it stays, and nothing was removed through it.
  t.ExpectAttackerFolderUntouched();
  EXPECT_EQ(t.Tree(), std::vector<std::string>{"sub"});
}

TEST(FolderExtractionTest, AFolderReplacedByALinkBeforeExitLeadsNoRemovalElsewhere) {
  FolderAttack t;
  t.Add("sub/page.html", "the book's");
  t.Add("sub/inner/x.html", "the book's");
  ASSERT_EQ(t.Load().reason, LoadResult::Reason::kNone);
  ASSERT_EQ(rename((t.Folder() + "sub").c_str(), (t.Folder() + "moved").c_str()), 0);
  ASSERT_EQ(symlink(t.attacker.c_str(), (t.Folder() + "sub").c_str()), 0);
  t.context.store.Cleanup();
  t.ExpectAttackerFolderUntouched();
  EXPECT_TRUE(PathExists(t.Folder() + "moved/page.html"));
}

TEST(FolderExtractionTest, AFolderMadeReadOnlyDuringTheLoadStopsOnlyWhatGoesIntoIt) {
  FolderAttack t;
  t.Add("sub/first.html", "first");
  t.Add("sub/second.html", "second");
  t.Add("sub/inner/third.html", "third");
  t.Add("else/fourth.html", "fourth");
  // Extraction makes its files relative to open folders, past the file calls a test can
  // fail, so the folder itself refuses them.
  std::optional<testing::WriteLockedFolder> lock;
  ASSERT_EQ(t.Load("sub/first.html", [&] { lock.emplace(t.Folder() + "sub"); }).reason,
            LoadResult::Reason::kNone);
  ASSERT_TRUE(lock.has_value());
  if (!lock->Holds())
    GTEST_SKIP() << lock->Reason();
  EXPECT_EQ(t.book.Extracted("sub/first.html"), "first");
  EXPECT_FALSE(PathExists(t.Folder() + "sub/second.html"));
  EXPECT_FALSE(PathExists(t.Folder() + "sub/inner"));
  EXPECT_EQ(t.book.Extracted("else/fourth.html"), "fourth");
  EXPECT_EQ(ModeOf(t.Folder() + "sub"), 0500u);
  // Down to the read-only mode alone: the reader made the folder, so it may make it
  // writable again to empty it at exit.
  lock.reset();
  ASSERT_EQ(chmod((t.Folder() + "sub").c_str(), 0500), 0);
  t.context.store.Cleanup();
  EXPECT_FALSE(PathExists(t.Folder()));
}

TEST(FolderExtractionTest, FoldersTheReaderDidNotMakeAreNeverRemoved) {
  FolderAttack t;
  t.Add("kept/page.html", "the book's");
  t.Add("open/page.html", "the book's");
  t.Add("made/page.html", "the book's");
  ASSERT_EQ(t.Load("index.html",
                   [&] {
                     // Made by someone else meanwhile: one private, one others may write to.
                     ASSERT_EQ(mkdir((t.Folder() + "kept").c_str(), 0700), 0);
                     ASSERT_EQ(mkdir((t.Folder() + "open").c_str(), 0700), 0);
                     ASSERT_EQ(chmod((t.Folder() + "open").c_str(), 0777), 0);
                   })
                .reason,
            LoadResult::Reason::kNone);
  EXPECT_EQ(t.book.Extracted("kept/page.html"), "the book's");
  EXPECT_FALSE(PathExists(t.Folder() + "open/page.html"));
  EXPECT_EQ(t.book.Extracted("made/page.html"), "the book's");
  t.context.store.Cleanup();
  // The book's files are gone; the folders the reader did not make stay, and with them the
  // book folder.
  EXPECT_EQ(t.Tree(), (std::vector<std::string>{"kept", "open"}));
}

}  // namespace
}  // namespace quire
