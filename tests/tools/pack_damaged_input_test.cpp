// quire-pack given damaged books, bad sources and unsafe outputs.
#include "support/write_locked_folder.h"
#include "tools/pack_cli_fixture.h"

namespace quire::pack_tests {
namespace {

TEST_F(PackCliTest, DamagedBooksGiveAClearErrorAndNoOutput) {
  std::string good = *ReadWholeFile(SimpleBook());
  BookLayout layout(good);
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  std::string badTrailer = good;
  badTrailer[good.size() - 1] ^= 0x55;
  std::string hugeCount = good;
  PutScrambledInt(&hugeCount, layout.directory + 4, 0x7FFFFFFF);
  std::string negativeText = good;
  PutScrambledInt(&negativeText, layout.settings + 4, -5);
  std::string badSettings = good;
  PutScrambledInt(&badSettings, layout.settings, 0x12345678);
  std::string hugeVariables = good;
  PutScrambledInt(&hugeVariables, layout.variables + 8, 1000000);
  const Case cases[] = {
      {"truncated", good.substr(0, good.size() - 50), "no book trailer"},
      {"cut to its trailer", good.substr(good.size() - 104), "damaged book"},
      {"tiny", "abc", "shorter than a book's trailer"},
      {"empty", "", "shorter than a book's trailer"},
      {"bad trailer mark", badTrailer, "no book trailer"},
      {"huge directory count", hugeCount, "damaged book"},
      {"negative text length", negativeText, "damaged book"},
      {"bad settings mark", badSettings, "damaged book"},
      {"huge variable count", hugeVariables, "damaged book"},
      {"a program without a book", *ReadWholeFile(testing::ReaderPath()), "no book trailer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("damaged.book", c.bytes);
    ExpectFailure(Pack({"list", Path("damaged.book")}), kFailed, c.message);
    ExpectFailure(Pack({"extract", Path("damaged.book"), Path("xd")}), kFailed, c.message);
    EXPECT_TRUE(Listing(Path("xd")).empty());
    ExpectFailure(Pack({"rebind", Path("damaged.book"), "-o", Path("new.book"), "--reader",
                        testing::ReaderPath()}),
                  kFailed, c.message, Path("new.book"));
  }
  ExpectFailure(Pack({"list", Path("missing.book")}), kFailed, "no such file");
  ExpectFailure(Pack({"list", m_tmp.Path()}), kFailed, "not a readable file");
}

TEST_F(PackCliTest, DamagedFileDataFailsTheFileNotTheWholeListing) {
  TestBook book;
  book.Input().image = "IMG";
  book.AddPage("index.html", std::string(4000, 'a'));
  book.AddFile("b.bin", RandomBytes(100, 11), /*packed=*/false);
  Write("broken.book", book.Bytes());
  // The packed page's stored bytes become all zero bits once unscrambled: literals of 0
  // that run into the end of the data without an end token.
  pack::BookFile parsed;
  std::string error;
  ASSERT_TRUE(pack::OpenBookFile(Path("broken.book"), &parsed, &error)) << error;
  std::string broken = book.Bytes();
  const EBookFile& page = parsed.files[0];
  size_t start = static_cast<size_t>(parsed.trailer.dataBase + page.dataOffset);
  for (size_t i = start; i < start + static_cast<size_t>(page.storedSize); ++i)
    broken[i] = '\xC6';
  Write("broken.book", broken);
  RunResult r = Pack({"list", Path("broken.book")});
  ExpectFailure(r, kFailed, "cannot be read");
  EXPECT_NE(r.out.find("b.bin"), std::string::npos);
  RunResult x = Pack({"extract", Path("broken.book"), Path("xb")});
  ExpectFailure(x, kFailed, "could not be extracted");
  EXPECT_EQ(Listing(Path("xb")), (std::vector<std::string>{"b.bin"}));
  ExpectFailure(
      Pack({"rebind", Path("broken.book"), "-o", Path("nb"), "--reader", testing::ReaderPath()}),
      kFailed, "'index.html'", Path("nb"));
}

// The tools decode a book's files straight into the files they write: the reader's private
// temporary folder is never used (nor named), so one that another user planted a link for
// is never written through.
TEST_F(PackCliTest, AnUnsafePrivateTemporaryFolderIsNeverUsed) {
  std::string book = SimpleBook();
  fs::create_directories(Path("evil"));
  fs::create_directories(Path("run"));
  fs::permissions(Path("run"), fs::perms::owner_all);
  const std::string evil = Path("evil/quire-" + std::to_string(geteuid()));
  ASSERT_EQ(symlink(m_tmp.Path().c_str(), evil.c_str()), 0);
  const std::vector<std::string> before = Listing(m_tmp.Path());
  ScopedEnv tmpdir("TMPDIR", Path("evil"));
  ScopedEnv runtime("XDG_RUNTIME_DIR", Path("run"));
  RunResult r = Pack({"list", book});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("data.bin"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find(evil), std::string::npos) << r.err;
  EXPECT_EQ(Pack({"extract", book, Path("out")}).exitCode, 0);
  EXPECT_EQ(Listing(Path("out")), (std::vector<std::string>{"data.bin", "index.html"}));
  std::vector<std::string> after = Listing(m_tmp.Path());
  after.erase(std::remove(after.begin(), after.end(), "out"), after.end());
  EXPECT_EQ(after, before);
  EXPECT_TRUE(fs::is_empty(Path("run"))) << "the fallback folder is not needed either";
}

// A TMPDIR where anyone may rename entries is passed over for the scratch and preview
// folders too: another user could swap the book that run starts.
TEST_F(PackCliTest, TmpdirOpenToOthersIsPassedOver) {
  std::string book = SimpleBook();
  fs::create_directories(Path("open"));
  fs::permissions(Path("open"), fs::perms::all);
  ScopedEnv tmpdir("TMPDIR", Path("open"));
  RunResult r = Pack({"list", book});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("quire-pack: note: the temporary folder " + Path("open") +
                       " is not used: other users can change or replace what it holds"),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::is_empty(Path("open")));
}

TEST_F(PackCliTest, FileCountThatDisagreesWithTheDirectoryIsNotRebound) {
  TestBook book;
  book.Input().image = "IMG";
  book.Input().fileCountOverride = 5;
  book.AddPage("index.html", "x");
  Write("count.book", book.Bytes());
  RunResult listed = Pack({"list", Path("count.book")});
  EXPECT_NE(listed.out.find("the reader refuses this book"), std::string::npos) << listed.out;
  ExpectFailure(
      Pack({"rebind", Path("count.book"), "-o", Path("n"), "--reader", testing::ReaderPath()}),
      kFailed, "its settings count 5 files, its directory holds 1", Path("n"));
}

TEST_F(PackCliTest, BadSourcesAreRefusedWithoutWritingABook) {
  const struct {
    const char* name;
    const char* manifest;  // nullptr: no book.ini
    const char* extraFile;
    const char* message;
  } cases[] = {
      {"unknown key", "[book]\nname = x\n", nullptr, "book.ini:2: unknown key 'name'"},
      {"bad flag", "[window]\nsizeable = sometimes\n", nullptr, "expected yes or no"},
      {"bad colour", "[colors]\ntext = #GG0000\n", nullptr, "expected a colour"},
      {"refused subfolder", "[book]\nsubfolders = refuse\n", "pics/a.png",
       "a subfolder, and [book] says \"subfolders = refuse\""},
      {"file and folder of one name", "[file:pics]\nsource = index.html\n", "pics/a.png",
       "'pics/a.png' cannot be stored, since 'pics' is a file of the book (from book.ini:1)"},
      {"missing described file", "[file:gone.html]\n", nullptr, "gone.html is not a readable"},
      {"splash not a picture", "[book]\nsplash = notes.txt\n", "notes.txt", "not a BMP"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ec;
    fs::remove_all(Path("bad"), ec);
    Write("bad/index.html", "<title>x</title>");
    if (c.manifest)
      Write("bad/book.ini", c.manifest);
    if (c.extraFile)
      Write(std::string("bad/") + c.extraFile, "x");
    ExpectFailure(
        Pack({"build", Path("bad"), "-o", Path("bad.book"), "--reader", testing::ReaderPath()}),
        kFailed, c.message, Path("bad.book"));
  }
  EXPECT_EQ(Listing(m_tmp.Path()), (std::vector<std::string>{"bad"}));
}

TEST_F(PackCliTest, NeverWritesOverItsInput) {
  std::string book = SimpleBook();
  std::string original = *ReadWholeFile(book);
  ASSERT_EQ(link(book.c_str(), Path("hardlink.book").c_str()), 0);
  ASSERT_EQ(symlink(book.c_str(), Path("symlink.book").c_str()), 0);
  Write("reader-copy", *ReadWholeFile(testing::ReaderPath()));
  chmod(Path("reader-copy").c_str(), 0755);
  ASSERT_EQ(link(Path("reader-copy").c_str(), Path("reader-link").c_str()), 0);
  const std::vector<std::vector<std::string>> commands = {
      {"rebind", book, "-o", book},
      {"rebind", book, "-o", Path("hardlink.book")},
      {"rebind", book, "-o", Path("symlink.book")},
      {"rebind", book, "-o", Path("./simple.book")},
      {"rebind", book, "-o", Path("reader-link"), "--reader", Path("reader-copy")},
      {"build", Path("simple"), "-o", Path("reader-link"), "--reader", Path("reader-copy")},
      {"build", Path("simple"), "-o", Path("simple/index.html")},
      {"build", Path("simple"), "-o", Path("simple/new.book")},
  };
  for (const auto& args : commands) {
    RunResult r = Pack(args);
    SCOPED_TRACE(args[0] + " -o " + args[3]);
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, kFailed) << r.err;
    EXPECT_NE(r.err.find("refusing to write"), std::string::npos) << r.err;
  }
  // The same with paths relative to the working folder.
  const std::vector<std::vector<std::string>> relative = {
      {"build", ".", "-o", "new.book", "--reader", testing::ReaderPath()},
      {"build", "./", "-o", "./new.book", "--reader", testing::ReaderPath()},
      {"rebind", "../simple.book", "-o", "../simple.book", "--reader", testing::ReaderPath()},
  };
  for (const auto& args : relative) {
    RunResult r = RunPack(args, m_tmp.Path(), Path("simple"));
    SCOPED_TRACE(args[0] + " " + args[1] + " -o " + args[3]);
    EXPECT_EQ(r.exitCode, kFailed) << r.err;
    EXPECT_NE(r.err.find("refusing to write"), std::string::npos) << r.err;
  }
  EXPECT_EQ(*ReadWholeFile(book), original);
  EXPECT_EQ(*ReadWholeFile(Path("reader-copy")), *ReadWholeFile(testing::ReaderPath()));
  EXPECT_FALSE(PathExists(Path("simple/new.book")));
}

TEST_F(PackCliTest, ReaderThatIsNoProgramOrAlreadyABookIsRefused) {
  std::string book = SimpleBook();
  Write("not-a-program", "#!/bin/sh\n");
  ExpectFailure(
      Pack({"build", Path("simple"), "-o", Path("o1"), "--reader", Path("not-a-program")}), kFailed,
      "not an ELF program", Path("o1"));
  ExpectFailure(Pack({"build", Path("simple"), "-o", Path("o2"), "--reader", book}), kFailed,
                "already holds a book", Path("o2"));
  ExpectFailure(Pack({"rebind", book, "-o", Path("o3"), "--reader", Path("not-a-program")}),
                kFailed, "not an ELF program", Path("o3"));
}

TEST_F(PackCliTest, OutputFolderThatCannotBeWrittenLeavesNothing) {
  SimpleBook();
  ExpectFailure(Pack({"build", Path("simple"), "-o", Path("nowhere/b")}), kFailed,
                "does not exist");
  // quire-pack runs as a program of its own, so no failure can be put into its calls: the
  // folder itself refuses the write.
  ASSERT_EQ(mkdir(Path("locked").c_str(), 0700), 0);
  testing::WriteLockedFolder lock(Path("locked"));
  if (!lock.Holds())
    GTEST_SKIP() << lock.Reason();
  RunResult r =
      Pack({"build", Path("simple"), "-o", Path("locked/b"), "--reader", testing::ReaderPath()});
  ExpectFailure(r, kFailed, "locked/b", Path("locked/b"));
  EXPECT_TRUE(Listing(Path("locked")).empty());
}

TEST_F(PackCliTest, ExtractChecksNamesAsTheReaderDoesAndKeepsExistingFiles) {
  TestBook book;
  book.Input().image = "IMG";
  book.AddPage("index.html", "<p>ok</p>");
  book.AddFile("../escape.html", "bad");
  book.AddFile("sub/inner.html", "bad");
  book.AddFile("back\\slash.html", "bad");
  book.AddFile("..", "bad");
  book.AddFile("", "bad");
  Write("names.book", book.Bytes());
  RunResult r = Pack({"extract", Path("names.book"), Path("x/y")});
  ExpectFailure(r, kFailed, "'../escape.html' is not extracted: not a name the reader extracts");
  EXPECT_NE(r.err.find("'sub/inner.html' is not extracted: a name with folders in a book that "
                       "keeps none"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(Listing(Path("x/y")), (std::vector<std::string>{"index.html"}));
  EXPECT_EQ(Listing(Path("x")), (std::vector<std::string>{"y"}));
  EXPECT_FALSE(PathExists(Path("x/escape.html")));

  TestBook plain;
  plain.Input().image = "IMG";
  plain.AddPage("index.html", "<p>new</p>");
  Write("plain.book", plain.Bytes());
  Write("keep/index.html", "mine");
  ExpectFailure(Pack({"extract", Path("plain.book"), Path("keep")}), kFailed, "--force");
  EXPECT_EQ(ReadWholeFile(Path("keep/index.html")), "mine");
  EXPECT_EQ(Pack({"extract", "--force", Path("plain.book"), Path("keep")}).exitCode, 0);
  EXPECT_EQ(ReadWholeFile(Path("keep/index.html")), "<p>new</p>");
  EXPECT_EQ(Listing(Path("keep")), (std::vector<std::string>{"index.html"}));
}

}  // namespace
}  // namespace quire::pack_tests
