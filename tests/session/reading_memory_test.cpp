#include "session/reading_memory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire::testing {
namespace {

const std::set<std::string> kPages = {"index.html", "second.html", "library/os.html"};

// The state folder of a test, and memories of books in it.
class ReadingMemoryTest : public ::testing::Test {
 protected:
  std::string Folder() const { return m_tmp.File("state/quire"); }
  std::string File() const { return Folder() + "/" + kReadingStateFileName; }

  ReadingMemory Memory(const std::string& id = "BOOK", bool remember = true) {
    ReadingMemory memory(
        Folder(), id, [](const std::string& name) { return kPages.count(name) != 0; }, remember);
    memory.Load();
    return memory;
  }

  void WriteState(const std::string& text) {
    ASSERT_EQ(system(("mkdir -p -m 700 '" + Folder() + "'").c_str()), 0);
    ASSERT_TRUE(WriteWholeFile(File(), text));
    ASSERT_EQ(chmod(File().c_str(), 0600), 0);
  }

  ScopedTmpdir m_tmp;
};

TEST_F(ReadingMemoryTest, TheFolderFollowsTheXdgStateHome) {
  {
    ScopedEnv state("XDG_STATE_HOME", "/somewhere/state/");
    EXPECT_EQ(ReadingStateFolder(), "/somewhere/state/quire");
  }
  ScopedEnv state("XDG_STATE_HOME", "relative/state");  // ignored, as the rules say
  ScopedEnv home("HOME", "/home/reader");
  EXPECT_EQ(ReadingStateFolder(), "/home/reader/.local/state/quire");
}

TEST_F(ReadingMemoryTest, WhatWasKeptComesBackInTheNextRun) {
  {
    ReadingMemory memory = Memory();
    EXPECT_FALSE(memory.LastPage());
    memory.NotePageShown({"library/os.html", "os.getcwd"});
    memory.NoteTextSize(4);
    memory.NoteContentsPane(true);
    ASSERT_TRUE(memory.AddBookmark({"second.html", ""}, "Second \xE2\x80\x94 page"));
    ASSERT_TRUE(memory.Save());
  }
  ReadingMemory memory = Memory();
  EXPECT_EQ(memory.LastPage(), (BookPlace{"library/os.html", "os.getcwd"}));
  EXPECT_EQ(memory.TextSize(), 4);
  EXPECT_EQ(memory.ContentsPane(), true);
  ASSERT_EQ(memory.Bookmarks().size(), 1u);
  EXPECT_EQ(memory.Bookmarks()[0].title, "Second \xE2\x80\x94 page");
  EXPECT_TRUE(memory.IsBookmarked({"second.html", ""}));
  EXPECT_FALSE(memory.IsBookmarked({"second.html", "x"}));

  struct stat info {};
  ASSERT_EQ(stat(File().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(ReadingMemoryTest, BooksKeepTheirOwnRecordsInTheOneFile) {
  ReadingMemory first = Memory("FIRST");
  ReadingMemory second = Memory("SECOND");
  first.NotePageShown({"second.html", ""});
  second.NotePageShown({"index.html", "top"});
  ASSERT_TRUE(first.Save());
  ASSERT_TRUE(second.Save());  // read before the first saved: must not lose it
  EXPECT_EQ(Memory("FIRST").LastPage(), (BookPlace{"second.html", ""}));
  EXPECT_EQ(Memory("SECOND").LastPage(), (BookPlace{"index.html", "top"}));
  EXPECT_FALSE(Memory("THIRD").LastPage());
}

TEST_F(ReadingMemoryTest, OnlyPagesOfTheBookAreUsed) {
  const std::string header = std::string(kReadingStateHeader) + "\n";
  WriteState(header +
             "book\tBOOK\t1\n"
             "page\tgone.html\t\n"               // not (or no longer) in the book
             "mark\t__search.html\t\tResults\n"  // the reader's own page is no page
             "mark\tlibrary/os.html\t\tOS\n"
             "mark\t../../../etc/passwd\t\tPasswords\n"
             "mark\tfile:%2F%2F%2Fetc%2Fpasswd\t\tPasswords\n");
  ReadingMemory memory = Memory();
  EXPECT_FALSE(memory.LastPage());
  ASSERT_EQ(memory.Bookmarks().size(), 1u);
  EXPECT_EQ(memory.Bookmarks()[0].place.name, "library/os.html");

  // Nor can a page outside the book be noted or bookmarked.
  memory.NotePageShown({"gone.html", ""});
  memory.NotePageShown({"../index.html", ""});
  EXPECT_FALSE(memory.LastPage());
  EXPECT_FALSE(memory.AddBookmark({"__search.html", ""}, "Results"));
  EXPECT_FALSE(memory.AddBookmark({"index.html", "##EXIT"}, "Exit"));
  EXPECT_FALSE(memory.AddBookmark({"library/os.html", ""}, "Twice"));
}

TEST_F(ReadingMemoryTest, DamagedOrForeignFilesAreIgnoredAndReplaced) {
  const std::string cases[] = {
      "",
      "not a state file at all\n",
      std::string(kReadingStateHeader) + "\nbook\tBOOK\t1\npage\t/etc/passwd\t\n",
      std::string("\0\0\0\0", 4),
  };
  for (const std::string& text : cases) {
    WriteState(text);
    ReadingMemory memory = Memory();
    EXPECT_FALSE(memory.LastPage());
    EXPECT_TRUE(memory.Bookmarks().empty());
    memory.NotePageShown({"second.html", ""});
    ASSERT_TRUE(memory.Save());
    EXPECT_EQ(Memory().LastPage(), (BookPlace{"second.html", ""}));
  }
}

TEST_F(ReadingMemoryTest, ABookThatSwitchesRememberingOffKeepsNoPlaceOrSize) {
  {
    ReadingMemory memory = Memory();
    memory.NotePageShown({"second.html", ""});
    memory.NoteTextSize(0);
    ASSERT_TRUE(memory.AddBookmark({"index.html", ""}, "Start"));
    ASSERT_TRUE(memory.Save());
  }
  {
    ReadingMemory memory = Memory("BOOK", false);
    EXPECT_FALSE(memory.LastPage());
    EXPECT_FALSE(memory.TextSize());
    EXPECT_EQ(memory.Bookmarks().size(), 1u) << "bookmarks are the user's own";
    memory.NotePageShown({"index.html", ""});
    memory.NoteTextSize(3);
    ASSERT_TRUE(memory.Save());
  }
  ReadingMemory memory = Memory();
  EXPECT_FALSE(memory.LastPage()) << "what an earlier run kept went with the write";
  EXPECT_FALSE(memory.TextSize());
  EXPECT_EQ(memory.Bookmarks().size(), 1u);
}

TEST_F(ReadingMemoryTest, ForgettingKeepsNothingMoreOfThisRun) {
  ReadingMemory memory = Memory();
  memory.NotePageShown({"second.html", ""});
  memory.NoteTextSize(1);
  memory.NoteContentsPane(true);
  ASSERT_TRUE(memory.AddBookmark({"index.html", ""}, "Start"));
  ASSERT_TRUE(memory.Save());
  EXPECT_TRUE(memory.HoldsPlace());
  ASSERT_TRUE(memory.Forget());
  EXPECT_FALSE(memory.HoldsPlace());
  memory.NotePageShown({"index.html", ""});
  memory.NoteTextSize(2);
  ASSERT_TRUE(memory.Save());
  ReadingMemory next = Memory();
  EXPECT_FALSE(next.HoldsPlace());
  EXPECT_EQ(next.Bookmarks().size(), 1u);
}

TEST_F(ReadingMemoryTest, BookmarksAreRemovedOneByOne) {
  ReadingMemory memory = Memory();
  ASSERT_TRUE(memory.AddBookmark({"index.html", ""}, "Start"));
  ASSERT_TRUE(memory.AddBookmark({"second.html", ""}, "Second"));
  ASSERT_TRUE(memory.AddBookmark({"second.html", "part"}, "Second, part"));
  ASSERT_TRUE(memory.RemoveBookmark(1));
  EXPECT_FALSE(memory.RemoveBookmark(2));
  ReadingMemory next = Memory();
  ASSERT_EQ(next.Bookmarks().size(), 2u);
  EXPECT_EQ(next.Bookmarks()[0].title, "Start");
  EXPECT_EQ(next.Bookmarks()[1].title, "Second, part");
}

TEST_F(ReadingMemoryTest, NothingIsWrittenWithoutAnIdOrAnythingToKeep) {
  ReadingMemory noId = Memory("");
  noId.NotePageShown({"index.html", ""});
  EXPECT_FALSE(noId.Save());
  ReadingMemory idle = Memory();
  EXPECT_TRUE(idle.Save());
  EXPECT_FALSE(PathExists(Folder())) << "an idle run makes no folder";
}

TEST_F(ReadingMemoryTest, APlantedLinkAtTheFilesPlaceIsNeverFollowed) {
  ASSERT_EQ(system(("mkdir -p -m 700 '" + Folder() + "'").c_str()), 0);
  const std::string victim = m_tmp.File("victim");
  ASSERT_TRUE(WriteWholeFile(
      victim, std::string(kReadingStateHeader) + "\nbook\tBOOK\t1\npage\tsecond.html\t\n"));
  ASSERT_EQ(symlink(victim.c_str(), File().c_str()), 0);
  ReadingMemory memory = Memory();
  EXPECT_FALSE(memory.LastPage()) << "read through the link";
  memory.NotePageShown({"index.html", ""});
  ASSERT_TRUE(memory.Save());
  EXPECT_EQ(ReadWholeFile(victim),
            std::string(kReadingStateHeader) + "\nbook\tBOOK\t1\npage\tsecond.html\t\n");
  struct stat info {};
  ASSERT_EQ(lstat(File().c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
}

}  // namespace
}  // namespace quire::testing
