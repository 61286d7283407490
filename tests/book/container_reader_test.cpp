#include "book/container_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "book/cebook.h"
#include "book/container_format.h"
#include "book/lz.h"
#include "platform/paths.h"
#include "support/book_fixture.h"
#include "support/failing_env.h"
#include "support/startup_run.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::TestBook;
using testing::WriteWholeFile;

using Layout = testing::BookLayout;
using testing::PutScrambledInt;

// The book every damaged-book case starts from: one page, one variable.
void DescribeSmallBook(TestBook& book) {
  book.AddPage("index.html", "<p>Hello</p>");
  book.AddVariable("greeting", "hi", 2);
}

struct ParsedBook {
  bool ok = false;
  ContainerFailure failure = ContainerFailure::kNone;
  EBookSettings settings;
  EBookReservedList reserved;
  std::vector<EBookFile> directory;
  EBookTrailer trailer;
  EBookVariableList variables;
};

ParsedBook ParseBookFile(const std::string& path) {
  ParsedBook parsed;
  ContainerReader reader(path);
  const ContainerResult result = reader.Parse(&parsed.settings, &parsed.reserved, &parsed.directory,
                                              &parsed.trailer, &parsed.variables);
  parsed.ok = static_cast<bool>(result);
  parsed.failure = result.failure;
  return parsed;
}

TEST(ContainerReaderTest, ParsesEveryRecordAsWritten) {
  TestBook book;
  EBookSettings& s = book.Settings();
  s.title = "Title";
  s.author = "Author";
  s.authorEmail = "a@b.c";
  s.authorUrl = "http://a.example/";
  s.publisher = "Pub";
  s.copyright = "(c)";
  s.windowWidthCode = 640;
  s.windowHeight = 480;
  s.windowPositionCode = -3;
  s.startupMessage = " Hello ";
  s.hoverColor = 0x123456;
  s.toolbarButtons[12] = 0;
  s.aboutMode = 2;
  s.aboutPageName = "about.html";
  s.contentsMode = 3;
  s.contentsPageName = "toc.html";
  s.compileYear = 2024;
  s.compileSecond = 59;
  s.referralCode = "ref";
  s.startupScript = "##BEEP()";
  s.exitScript = "##EXIT()";
  EBookFile& page = book.AddPage("Index.HTML", "<p>x</p>");
  page.description = "desc";
  page.keywords = "kw";
  page.sortKey = "001";
  page.expandVariables = true;
  book.AddFile("raw.bin", "raw", false).searchable = false;
  book.AddVariable("name", "value", 3);
  book.Input().variables.rebranded = 1;
  book.Input().bookId = std::string(70, 'i');  // only 63 bytes are stored
  book.Write();

  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  s.fileCount = 2;
  const EBookSettings& r = parsed.settings;
  EXPECT_EQ(r.esbn, TestBook::kEsbn);
  EXPECT_EQ(r.title, "Title");
  EXPECT_EQ(r.author, "Author");
  EXPECT_EQ(r.authorEmail, "a@b.c");
  EXPECT_EQ(r.authorUrl, "http://a.example/");
  EXPECT_EQ(r.publisher, "Pub");
  EXPECT_EQ(r.copyright, "(c)");
  EXPECT_EQ(r.windowWidthCode, 640);
  EXPECT_EQ(r.windowHeight, 480);
  EXPECT_EQ(r.windowPositionCode, -3);
  EXPECT_EQ(r.startupMessage, " Hello ");
  EXPECT_EQ(r.hoverColor, 0x123456);
  EXPECT_EQ(r.toolbarButtons, s.toolbarButtons);
  EXPECT_EQ(r.aboutMode, 2);
  EXPECT_EQ(r.aboutPageName, "about.html");
  EXPECT_EQ(r.contentsMode, 3);
  EXPECT_EQ(r.contentsPageName, "toc.html");
  EXPECT_EQ(r.compileYear, 2024);
  EXPECT_EQ(r.compileSecond, 59);
  EXPECT_EQ(r.referralCode, "ref");
  EXPECT_EQ(r.startupScript, "##BEEP()");
  EXPECT_EQ(r.exitScript, "##EXIT()");
  EXPECT_EQ(r.fileCount, 2);
  EXPECT_EQ(r.popupMenu, 1);

  ASSERT_EQ(parsed.directory.size(), 2u);
  const EBookFile& f = parsed.directory[0];
  EXPECT_EQ(f.fileName, "Index.HTML");
  EXPECT_TRUE(f.packed && f.searchable && f.inContents && f.expandVariables);
  EXPECT_EQ(f.title, "Index.HTML");
  EXPECT_EQ(f.description, "desc");
  EXPECT_EQ(f.keywords, "kw");
  EXPECT_EQ(f.sortKey, "001");
  EXPECT_FALSE(parsed.directory[1].packed);
  EXPECT_EQ(parsed.directory[1].storedSize, 3);

  ASSERT_EQ(parsed.variables.variables.size(), 1u);
  EXPECT_EQ(parsed.variables.variables[0].name, "name");
  EXPECT_EQ(parsed.variables.variables[0].value, "value");
  EXPECT_EQ(parsed.variables.variables[0].kind, 3);
  EXPECT_EQ(parsed.variables.rebranded, 1);
  EXPECT_EQ(parsed.trailer.bookId, std::string(63, 'i'));
  EXPECT_EQ(parsed.trailer.dataBase, 4096);
}

// Each case damages the bytes of a small, sound book; the parse must fail in the damaged
// block (or, where the damage is harmless, succeed) and never crash or allocate for an
// absurd count.
TEST(ContainerReaderTest, DamagedBooksTable) {
  using Damage = std::function<void(std::string*, const Layout&)>;
  auto flip = [](size_t Layout::*block, size_t offset) -> Damage {
    return [=](std::string* b, const Layout& l) { (*b)[l.*block + offset] ^= 0x01; };
  };
  auto setInt = [](size_t Layout::*block, size_t offset, int32_t value) -> Damage {
    return [=](std::string* b, const Layout& l) { PutScrambledInt(b, l.*block + offset, value); };
  };
  // Keeps the book up to `offset` bytes into a block and puts the trailer right after,
  // so that block and every one behind it end early.
  auto cutInside = [](size_t Layout::*block, size_t offset) -> Damage {
    return [=](std::string* b, const Layout& l) {
      std::string trailer = b->substr(l.trailer);
      b->resize(l.*block + offset);
      *b += trailer;
    };
  };
  // Offsets inside the directory: mark 0, count 4, entry mark 8, name length 12.
  // Inside the variable list: mark 0, flag 4, count 8, entry mark 12.
  const struct {
    const char* what;
    Damage damage;
    ContainerFailure failure;
  } cases[] = {
      {"sound book", [](std::string*, const Layout&) {}, ContainerFailure::kNone},
      {"trailer start mark", flip(&Layout::trailer, 0), ContainerFailure::kTrailer},
      {"trailer end mark", flip(&Layout::trailer, 100), ContainerFailure::kTrailer},
      {"settings start mark", flip(&Layout::settings, 0), ContainerFailure::kSettings},
      {"settings end mark", flip(&Layout::reservedList, -4), ContainerFailure::kSettings},
      {"reserved list mark", flip(&Layout::reservedList, 0), ContainerFailure::kReservedList},
      {"directory mark", flip(&Layout::directory, 0), ContainerFailure::kDirectory},
      {"file entry mark", flip(&Layout::directory, 8), ContainerFailure::kDirectory},
      {"variable list mark", flip(&Layout::variables, 0), ContainerFailure::kVariables},
      {"variable entry mark", flip(&Layout::variables, 12), ContainerFailure::kVariables},
      {"file shorter than a trailer",
       [](std::string* b, const Layout&) { b->resize(kTrailerSize - 1); },
       ContainerFailure::kTrailer},
      {"empty file", [](std::string* b, const Layout&) { b->clear(); }, ContainerFailure::kTrailer},
      {"cut inside the trailer", [](std::string* b, const Layout& l) { b->resize(l.trailer + 50); },
       ContainerFailure::kTrailer},
      {"cut inside the settings record", cutInside(&Layout::settings, 40),
       ContainerFailure::kSettings},
      {"cut inside the reserved list", cutInside(&Layout::reservedList, 6),
       ContainerFailure::kReservedList},
      {"cut inside the directory", cutInside(&Layout::directory, 30), ContainerFailure::kDirectory},
      {"cut inside the variable list", cutInside(&Layout::variables, 14),
       ContainerFailure::kVariables},
      {"settings position beyond the file", setInt(&Layout::trailer, 8, 0x7FFFFFF0),
       ContainerFailure::kSettings},
      {"negative settings position", setInt(&Layout::trailer, 8, -8), ContainerFailure::kSettings},
      {"directory position beyond the file", setInt(&Layout::trailer, 16, 0x7FFFFFF0),
       ContainerFailure::kDirectory},
      {"variable position beyond the file", setInt(&Layout::trailer, 24, 0x7FFFFFF0),
       ContainerFailure::kVariables},
      {"directory count of two billion", setInt(&Layout::directory, 4, 2000000000),
       ContainerFailure::kDirectory},
      {"directory count one too many", setInt(&Layout::directory, 4, 2),
       ContainerFailure::kDirectory},
      {"negative directory count", setInt(&Layout::directory, 4, -1), ContainerFailure::kNone},
      {"directory count 0", setInt(&Layout::directory, 4, 0), ContainerFailure::kNone},
      {"variable count of two billion", setInt(&Layout::variables, 8, 2000000000),
       ContainerFailure::kVariables},
      {"text length beyond the file", setInt(&Layout::directory, 12, 0x7FFFFFFF),
       ContainerFailure::kDirectory},
      {"negative text length", setInt(&Layout::directory, 12, -1), ContainerFailure::kDirectory},
      {"settings text length beyond the file", setInt(&Layout::settings, 4, 1 << 30),
       ContainerFailure::kSettings},
      {"reserved count above 1000", setInt(&Layout::reservedList, 12, 1001),
       ContainerFailure::kReservedList},
      {"reserved count negative means none", setInt(&Layout::reservedList, 12, -7),
       ContainerFailure::kNone},
      {"reserved field with content", setInt(&Layout::settings, 8, 12345), ContainerFailure::kNone},
      {"trailer reserved field with content", setInt(&Layout::trailer, 4, 99),
       ContainerFailure::kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestBook book;
    DescribeSmallBook(book);
    std::string bytes = book.Bytes();
    c.damage(&bytes, Layout(bytes));
    book.WriteBytes(bytes);
    const ParsedBook parsed = ParseBookFile(book.Path());
    EXPECT_EQ(parsed.failure, c.failure);
    EXPECT_EQ(parsed.ok, c.failure == ContainerFailure::kNone);
  }
}

// The settings record laid out by hand, row by row in stored order, independently of the
// writer: every integer holds 1000 * row + its place in the row, every text "r<row>.<place>",
// reserved rows included. Each kept field must come from its own row.
TEST(ContainerReaderTest, SettingsRecordFieldsComeFromTheirStoredRows) {
  enum Kind { kInts, kTexts };
  const struct {
    Kind kind;
    int count;
  } rows[] = {
      {kTexts, 1}, {kInts, 22}, {kTexts, 1}, {kTexts, 1}, {kTexts, 1}, {kTexts, 1}, {kTexts, 1},
      {kTexts, 1}, {kTexts, 1}, {kInts, 16}, {kInts, 3},  {kTexts, 2}, {kInts, 1},  {kInts, 1},
      {kInts, 1},  {kInts, 1},  {kTexts, 1}, {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},
      {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},
      {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},
      {kInts, 1},  {kInts, 1},  {kInts, 13}, {kInts, 1},  {kInts, 1},  {kInts, 1},  {kTexts, 1},
      {kInts, 1},  {kTexts, 1}, {kInts, 1},  {kTexts, 1}, {kInts, 1},  {kInts, 3},  {kTexts, 1},
      {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kInts, 1},  {kTexts, 4},
      {kTexts, 1}, {kTexts, 1}, {kTexts, 2}, {kTexts, 1},
  };  // rows 2 to 61; row 62, the file count, and the end mark follow
  std::string record;
  auto appendInt = [&](int32_t v) {
    std::string four(4, '\0');
    PutScrambledInt(&four, 0, v);
    record += four;
  };
  auto appendText = [&](const std::string& t) {
    appendInt(static_cast<int32_t>(t.size()));
    for (char ch : t)
      record.push_back(static_cast<char>(ch ^ kRecordKey));
  };
  appendInt(static_cast<int32_t>(kSettingsStartMark));
  int row = 2;
  for (const auto& r : rows) {
    for (int place = 0; place < r.count; ++place) {
      if (r.kind == kInts) {
        appendInt(1000 * row + place);
      } else {
        appendText("r" + std::to_string(row) + "." + std::to_string(place));
      }
    }
    ++row;
  }
  ASSERT_EQ(row, 62);
  appendInt(1);  // the file count: the small book has one file
  appendInt(static_cast<int32_t>(kSettingsEndMark));

  TestBook book;
  DescribeSmallBook(book);
  std::string bytes = book.Bytes();
  Layout layout(bytes);
  std::string trailer = bytes.substr(layout.trailer);
  bytes.resize(layout.trailer);
  const int32_t recordPos = static_cast<int32_t>(bytes.size());
  bytes += record + trailer;
  PutScrambledInt(&bytes, bytes.size() - kTrailerSize + 8, recordPos);
  book.WriteBytes(bytes);

  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  const EBookSettings& s = parsed.settings;
  EXPECT_EQ(s.esbn, "r4.0");
  EXPECT_EQ(s.title, "r5.0");
  EXPECT_EQ(s.author, "r6.0");
  EXPECT_EQ(s.authorEmail, "r7.0");
  EXPECT_EQ(s.authorUrl, "r8.0");
  EXPECT_EQ(s.publisher, "r9.0");
  EXPECT_EQ(s.copyright, "r10.0");
  EXPECT_EQ(s.openLinksOutside, 14000);
  EXPECT_EQ(s.windowWidthCode, 15000);
  EXPECT_EQ(s.windowHeight, 16000);
  EXPECT_EQ(s.windowPositionCode, 17000);
  EXPECT_EQ(s.startupMessage, "r18.0");
  EXPECT_EQ(s.searchShowPercent, 19000);
  EXPECT_EQ(s.searchShowDescriptions, 20000);
  EXPECT_EQ(s.backgroundColor, 21000);
  EXPECT_EQ(s.textColor, 22000);
  EXPECT_EQ(s.boxColor, 23000);
  EXPECT_EQ(s.linkColor, 24000);
  EXPECT_EQ(s.visitedLinkColor, 25000);
  EXPECT_EQ(s.hoverColor, 26000);
  EXPECT_EQ(s.contentsShowDescriptions, 27000);
  EXPECT_EQ(s.sizeableFrame, 28000);
  EXPECT_EQ(s.minimizeBox, 29000);
  EXPECT_EQ(s.maximizeBox, 30000);
  EXPECT_EQ(s.alwaysOnTop, 31000);
  EXPECT_EQ(s.menuBar, 32000);
  EXPECT_EQ(s.toolbar, 33000);
  EXPECT_EQ(s.toolbarToggle, 34000);
  EXPECT_EQ(s.toolbarButtonTexts, 35000);
  EXPECT_EQ(s.contentsPopup, 36000);
  EXPECT_EQ(s.statusBar, 37000);
  EXPECT_EQ(s.statusBarToggle, 38000);
  for (int i = 0; i < kToolbarButtonCount; ++i)
    EXPECT_EQ(s.toolbarButtons[static_cast<size_t>(i)], 39000 + i) << i;
  EXPECT_EQ(s.toolbarStyle, 40000);
  EXPECT_EQ(s.shortcutOffer, 41000);
  EXPECT_EQ(s.aboutMode, 42000);
  EXPECT_EQ(s.aboutPageName, "r43.0");
  EXPECT_EQ(s.contentsMode, 44000);
  EXPECT_EQ(s.contentsPageName, "r45.0");
  EXPECT_EQ(s.popupMenu, 48000);
  EXPECT_EQ(s.compileDay, 51000);
  EXPECT_EQ(s.compileMonth, 52000);
  EXPECT_EQ(s.compileYear, 53000);
  EXPECT_EQ(s.compileHour, 54000);
  EXPECT_EQ(s.compileMinute, 55000);
  EXPECT_EQ(s.compileSecond, 56000);
  EXPECT_EQ(s.referralCode, "r58.0");
  EXPECT_EQ(s.startupScript, "r59.0");
  EXPECT_EQ(s.exitScript, "r61.0");
  EXPECT_EQ(s.fileCount, 1);

  // Both the hand-made record and the writer's hold 96 integers (marks included) and 24
  // texts; the writer's only texts with content are the ESBN and the title.
  int integers = 3;  // the two marks and the file count
  int texts = 0;
  for (const auto& r : rows)
    (r.kind == kInts ? integers : texts) += r.count;
  EXPECT_EQ(integers, 96);
  EXPECT_EQ(texts, 24);
  const std::string written = book.Bytes();
  const Layout writtenLayout(written);
  EXPECT_EQ(writtenLayout.reservedList - writtenLayout.settings,
            4u * (96 + 24) + book.Settings().esbn.size() + book.Settings().title.size());
}

TEST(ContainerReaderTest, ReservedListTextsAreReadAndKept) {
  TestBook book;
  DescribeSmallBook(book);
  std::string bytes = book.Bytes();
  Layout layout(bytes);
  // Replace the reserved list by one with two texts, and point the trailer at it.
  std::string list;
  auto appendInt = [&](int32_t v) {
    std::string four(4, '\0');
    PutScrambledInt(&four, 0, v);
    list += four;
  };
  auto appendText = [&](const std::string& t) {
    appendInt(static_cast<int32_t>(t.size()));
    for (char ch : t)
      list.push_back(static_cast<char>(ch ^ kRecordKey));
  };
  appendInt(static_cast<int32_t>(kReservedListMark));
  appendText("a");
  appendText("b");
  appendInt(2);
  appendText("x");
  appendText(std::string("y\0z", 3));
  std::string trailer = bytes.substr(layout.trailer);
  bytes.resize(layout.trailer);
  const int32_t listPos = static_cast<int32_t>(bytes.size());
  bytes += list + trailer;
  PutScrambledInt(&bytes, bytes.size() - kTrailerSize + 12, listPos);
  book.WriteBytes(bytes);

  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.reserved.first, "a");
  EXPECT_EQ(parsed.reserved.second, "b");
  EXPECT_EQ(parsed.reserved.texts, (std::vector<std::string>{"x", "y"}));  // ends at zero
}

TEST(ContainerReaderTest, BookIdWithoutZeroByteIsAllSixtyFourBytes) {
  TestBook book;
  DescribeSmallBook(book);
  std::string bytes = book.Bytes();
  Layout layout(bytes);
  for (size_t i = 0; i < kBookIdSize; ++i)
    bytes[layout.trailer + 36 + i] = 'k';
  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(book.WriteBytes(bytes), &trailer));
  EXPECT_EQ(trailer.bookId, std::string(64, 'k'));
}

TEST(ContainerReaderTest, ReadTrailerFailsOnDamagedOrMissingFile) {
  TestBook book;
  const std::string path = book.WriteBytes("too short");
  EBookTrailer trailer;
  EXPECT_FALSE(ReadTrailer(path, &trailer));
  EXPECT_EQ(ReadTrailer(path, &trailer).failure, ContainerFailure::kTrailer);
  const std::string missing = book.Tmp().File("missing");
  EXPECT_FALSE(ReadTrailer(missing, &trailer));
  EXPECT_EQ(ReadTrailer(missing, &trailer).failure, ContainerFailure::kCannotOpen);
}

// Extraction of one entry whose stored bytes were tampered with after writing.
class ExtractFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    book.AddFile("plain.txt", "plain text", false);
    book.AddFile("packed.html", std::string(20000, 'p') + "end", true);
    book.AddFile("empty.txt", "", false);
    book.AddFile("index.html", "<p/>", true);
  }
  // Parses the book as written, lets `tamper` change the directory, extracts `index`.
  bool Extract(size_t index, const std::function<void(EBookFile&)>& tamper = nullptr) {
    book.Write();
    ParsedBook parsed = ParseBookFile(book.Path());
    EXPECT_TRUE(parsed.ok);
    if (tamper)
      tamper(parsed.directory[index]);
    folder = book.Tmp().PrivateFolder();
    ContainerReader reader(book.Path());
    return reader.ExtractFile(parsed.directory, index, parsed.trailer, folder);
  }
  TestBook book;
  std::string folder;
};

TEST_F(ExtractFileTest, PlainPackedAndEmptyFilesComeOutExactly) {
  EXPECT_TRUE(Extract(0));
  EXPECT_EQ(ReadWholeFile(folder + "plain.txt"), "plain text");
  EXPECT_TRUE(Extract(1));
  EXPECT_EQ(ReadWholeFile(folder + "packed.html"), std::string(20000, 'p') + "end");
  EXPECT_TRUE(Extract(2));
  EXPECT_EQ(ReadWholeFile(folder + "empty.txt"), "");
  struct stat st {};
  ASSERT_EQ(stat((folder + "packed.html").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ExtractFileTest, NamesThatAreNotPlainAreRefused) {
  for (const char* name : {"", ".", "..", "../escape.txt", "sub/file.txt", "sub\\file.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(Extract(0, [&](EBookFile& e) { e.fileName = name; }));
  }
  EXPECT_FALSE(testing::PathExists(book.Tmp().File("escape.txt")));
}

TEST_F(ExtractFileTest, StoredDataShorterThanItsSizeFailsAndLeavesThePartialFile) {
  EXPECT_FALSE(Extract(0, [](EBookFile& e) { e.storedSize = 1 << 30; }));
  auto partial = ReadWholeFile(folder + "plain.txt");
  ASSERT_TRUE(partial.has_value());
  EXPECT_EQ(partial->substr(0, 10), "plain text");
}

TEST_F(ExtractFileTest, ImpossiblePositionsAndSizesFail) {
  EXPECT_FALSE(Extract(0, [](EBookFile& e) { e.dataOffset = -5000; }));
  EXPECT_FALSE(Extract(0, [](EBookFile& e) { e.dataOffset = 0x7FFFFFFF; }));
  EXPECT_FALSE(Extract(0, [](EBookFile& e) { e.storedSize = -1; }));
}

TEST_F(ExtractFileTest, PackedEntryOfSizeZeroLacksItsEndTokenAndFails) {
  EXPECT_FALSE(Extract(1, [](EBookFile& e) { e.storedSize = 0; }));
}

TEST_F(ExtractFileTest, PackedEntryCutShortFails) {
  EXPECT_FALSE(Extract(1, [](EBookFile& e) { e.storedSize -= 2; }));
}

TEST_F(ExtractFileTest, IntermediateFileIsRemovedAfterUnpacking) {
  EXPECT_TRUE(Extract(1));
  EXPECT_FALSE(Extract(1, [](EBookFile& e) { e.storedSize = 3; }));
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    EXPECT_NE(entry.path().filename().string().rfind("unc", 0), 0u) << entry.path();
  }
}

// Two readers of the same book extracting at the same moment (two processes, each with
// its own target folder) must not share an intermediate file.
TEST_F(ExtractFileTest, TwoProcessesExtractingAtOnceBothGetExactFiles) {
  const std::string big = [] {
    std::string text;
    for (int i = 0; text.size() < 400000; ++i)
      text += "<p>line " + std::to_string(i) + "</p>";
    return text;
  }();
  book.Input().files[1].data = big;
  book.Write();
  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  const std::string base = book.Tmp().PrivateFolder();
  auto extractRepeatedly = [&](const std::string& into) {
    if (mkdir(into.c_str(), 0700) != 0)
      return false;
    ContainerReader reader(book.Path());
    for (int round = 0; round < 15; ++round) {
      if (!reader.ExtractFile(parsed.directory, 1, parsed.trailer, into) ||
          ReadWholeFile(into + "packed.html") != big) {
        return false;
      }
    }
    return true;
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0)
    _exit(extractRepeatedly(base + "a/") ? 0 : 1);
  EXPECT_TRUE(extractRepeatedly(base + "b/"));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ExtractFileTest, PackedEntryRunningPastTheBookMakesNoFile) {
  EXPECT_FALSE(Extract(1, [](EBookFile& e) { e.storedSize = 1 << 30; }));
  EXPECT_FALSE(testing::PathExists(folder + "packed.html"));
}

// Extracting a packed entry makes its file and nothing else, anywhere.
TEST_F(ExtractFileTest, OnlyTheTargetIsEverMade) {
  book.Write();
  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  folder = book.Tmp().PrivateFolder();
  const std::vector<std::string> before = testing::EverythingUnder(book.Tmp().Path());
  ContainerReader reader(book.Path());
  ASSERT_TRUE(reader.ExtractFile(parsed.directory, 1, parsed.trailer, folder));
  std::vector<std::string> expected = before;
  expected.push_back("quire-" + std::to_string(geteuid()) + "/packed.html");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(testing::EverythingUnder(book.Tmp().Path()), expected);
}

// Whatever already holds an entry's name in the folder: a file left by an earlier run is
// written over and becomes private; anything else is refused and left as it is, and the
// extraction never blocks or follows a link.
TEST_F(ExtractFileTest, WhatAlreadyHoldsTheNameTable) {
  const std::string sentinel = book.Tmp().File("sentinel");
  const struct {
    const char* what;
    size_t index;  // 0 plain, 1 packed
    std::function<void(const std::string& path)> prepare;
    bool extracted;
  } cases[] = {
      {"longer file of an earlier run, plain", 0,
       [](const std::string& p) {
         ASSERT_TRUE(WriteWholeFile(p, std::string(50000, 'o')));
         chmod(p.c_str(), 0644);
       },
       true},
      {"longer file of an earlier run, packed", 1,
       [](const std::string& p) {
         ASSERT_TRUE(WriteWholeFile(p, std::string(90000, 'o')));
         chmod(p.c_str(), 0666);
       },
       true},
      {"link to a file elsewhere", 1,
       [&](const std::string& p) { ASSERT_EQ(symlink(sentinel.c_str(), p.c_str()), 0); }, false},
      {"link to nowhere", 0,
       [&](const std::string& p) { ASSERT_EQ(symlink((sentinel + "-new").c_str(), p.c_str()), 0); },
       false},
      {"named pipe", 1, [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, false},
      {"folder", 0, [](const std::string& p) { ASSERT_EQ(mkdir(p.c_str(), 0700), 0); }, false},
  };
  const std::string contents[] = {"plain text", std::string(20000, 'p') + "end"};
  const char* names[] = {"plain.txt", "packed.html"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteWholeFile(sentinel, "sentinel"));
    const std::string target = book.Tmp().PrivateFolder() + names[c.index];
    std::filesystem::remove_all(target);
    c.prepare(target);
    struct stat before {};
    ASSERT_EQ(lstat(target.c_str(), &before), 0);
    EXPECT_EQ(Extract(c.index), c.extracted);
    struct stat after {};
    ASSERT_EQ(lstat(target.c_str(), &after), 0);
    if (c.extracted) {
      EXPECT_EQ(ReadWholeFile(target), contents[c.index]);
      EXPECT_EQ(after.st_mode & 07777, 0600u);
    } else {
      EXPECT_EQ(after.st_mode, before.st_mode);
      EXPECT_EQ(after.st_ino, before.st_ino);
    }
    EXPECT_EQ(ReadWholeFile(sentinel), "sentinel");
    EXPECT_FALSE(testing::PathExists(sentinel + "-new"));
    std::filesystem::remove_all(target);
  }
}

// A full disk, as a limit on file size: the entry fails, what was written stays for the
// page store to remove, and the same reader goes on with the next entry.
TEST_F(ExtractFileTest, OutputThatCannotBeWrittenWholeFailsTheEntryAlone) {
  constexpr off_t kLimit = 64 * 1024;
  book.Input().files[0].data = std::string(200000, 'a');  // plain
  book.Input().files[1].data = [] {
    std::string text;
    for (int i = 0; text.size() < 3000000; ++i)
      text += "<p>" + std::to_string(i * 7919 % 100003) + "</p>";
    return text;
  }();
  book.Write();
  ParsedBook parsed = ParseBookFile(book.Path());
  ASSERT_TRUE(parsed.ok);
  folder = book.Tmp().PrivateFolder();
  const struct {
    const char* what;
    size_t index;
    bool change;
  } cases[] = {{"plain", 0, false}, {"packed", 1, false}, {"packed and held whole", 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::FailingEnv env;
    env.LimitFileSize(kLimit);
    ContainerReader reader(book.Path(), &env);
    EXPECT_FALSE(reader.ExtractFile(
        parsed.directory, c.index, parsed.trailer, folder,
        c.change ? EntryExtractor::Change([](std::string*) {}) : EntryExtractor::Change()))
        << "a file that could not be written whole came out";
    EXPECT_EQ(env.Failures(testing::EnvCall::kWrite), 1);
    EXPECT_TRUE(reader.ExtractFile(parsed.directory, 3, parsed.trailer, folder));
    const auto written = ReadWholeFile(folder + parsed.directory[c.index].fileName);
    ASSERT_TRUE(written.has_value());
    EXPECT_LE(written->size(), kLimit);
    EXPECT_TRUE(book.Input().files[c.index].data.compare(0, written->size(), *written) == 0);
    EXPECT_EQ(ReadWholeFile(folder + "index.html"), "<p/>");
  }
}

TEST_F(ExtractFileTest, IndexOutOfRangeFails) {
  book.Write();
  ParsedBook parsed = ParseBookFile(book.Path());
  ContainerReader reader(book.Path());
  EXPECT_FALSE(reader.ExtractFile(parsed.directory, 99, parsed.trailer, "/nowhere/"));
}

std::string SmallBitmap() {
  std::string bmp = "BM";
  bmp.resize(3000, '\x40');
  return bmp;
}

TEST(SplashPictureTest, IsUnpackedIntoAUniqueBmpFile) {
  TestBook book;
  DescribeSmallBook(book);
  book.Input().splashBitmap = SmallBitmap();
  const std::string path = book.Write();
  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(path, &trailer));
  std::string first;
  std::string second;
  ASSERT_TRUE(ExtractSplashPicture(path, trailer.splashPos, trailer.splashSize, &first));
  ASSERT_TRUE(ExtractSplashPicture(path, trailer.splashPos, trailer.splashSize, &second));
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(book.Tmp().PrivateFolder() + "bmp", 0), 0u) << first;
  EXPECT_EQ(ReadWholeFile(first), SmallBitmap());
}

TEST(SplashPictureTest, BookWithoutPictureGivesEmptyPath) {
  TestBook book;
  DescribeSmallBook(book);
  const std::string file = book.Write();
  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(file, &trailer));
  std::string path = "stale";
  EXPECT_TRUE(ExtractSplashPicture(file, 0, 0, &path));
  EXPECT_EQ(path, "");
}

TEST(SplashPictureTest, ImpossiblePositionOrSizeFailsWithoutLeavingFiles) {
  TestBook book;
  DescribeSmallBook(book);
  book.Input().splashBitmap = SmallBitmap();
  const std::string file = book.Write();
  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(file, &trailer));
  const int32_t pos = trailer.splashPos;
  const int32_t size = trailer.splashSize;
  const struct {
    int32_t pos, size;
  } cases[] = {{0, size}, {pos, 0}, {-1, size}, {pos, -1}, {pos, 0x7FFFFFFF}, {pos, size - 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pos) + "," + std::to_string(c.size));
    std::string path;
    EXPECT_FALSE(ExtractSplashPicture(file, c.pos, c.size, &path));
    EXPECT_EQ(path, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(book.Tmp().PrivateFolder()));
}

TEST(UnpackFileTest, DecodesAFileAndFailsOnATruncatedOne) {
  testing::ScopedTmpdir tmp;
  std::string data;
  for (int i = 0; i < 50000; ++i)
    data += static_cast<char>('a' + (i * 7 % 13));
  std::string packed = LzPack(data);
  ASSERT_TRUE(WriteWholeFile(tmp.File("in.lz"), packed));
  EXPECT_TRUE(UnpackFile(tmp.File("in.lz"), tmp.File("out")));
  EXPECT_EQ(ReadWholeFile(tmp.File("out")), data);

  ASSERT_TRUE(WriteWholeFile(tmp.File("cut.lz"), packed.substr(0, packed.size() - 1)));
  EXPECT_FALSE(UnpackFile(tmp.File("cut.lz"), tmp.File("out2")));
}

TEST(UnpackFileTest, LongLiteralRunsAcrossInputBlocksComeOutExactly) {
  testing::ScopedTmpdir tmp;
  std::string data(300000, '\0');
  uint32_t x = 12345;
  for (char& c : data) {
    x = x * 1103515245 + 12345;
    c = static_cast<char>(x >> 23);
  }
  data.replace(100000, 5000, std::string(5000, 'r'));  // a run of copies in between
  ASSERT_TRUE(WriteWholeFile(tmp.File("in.lz"), LzPack(data)));
  ASSERT_TRUE(UnpackFile(tmp.File("in.lz"), tmp.File("out")));
  EXPECT_TRUE(ReadWholeFile(tmp.File("out")) == data);
}

TEST(UnpackFileTest, FailsWhenInputIsMissingOrOutputCannotBeWritten) {
  testing::ScopedTmpdir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("in.lz"), LzPack(std::string(100000, 'q'))));
  EXPECT_FALSE(UnpackFile(tmp.File("missing.lz"), tmp.File("out")));
  EXPECT_FALSE(UnpackFile(tmp.File("in.lz"), tmp.File("no/such/folder/out")));
  // The final flush is part of the result: a full device fails the unpacking.
  EXPECT_FALSE(UnpackFile(tmp.File("in.lz"), "/dev/full"));
}

// Between descriptors no name is needed: both files may already be gone from their
// folder, the input may be positioned anywhere and the output may hold older bytes.
TEST(UnpackFileTest, DecodesBetweenDescriptorsOfFilesThatHaveNoName) {
  testing::ScopedTmpdir tmp;
  const std::string data = std::string(70000, 'x') + "tail";
  ASSERT_TRUE(WriteWholeFile(tmp.File("in.lz"), LzPack(data)));
  ASSERT_TRUE(WriteWholeFile(tmp.File("out"), std::string(200000, 'o')));
  const int in = open(tmp.File("in.lz").c_str(), O_RDONLY | O_CLOEXEC);
  const int out = open(tmp.File("out").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(in, 0);
  ASSERT_GE(out, 0);
  ASSERT_EQ(unlink(tmp.File("in.lz").c_str()), 0);
  ASSERT_EQ(unlink(tmp.File("out").c_str()), 0);
  ASSERT_EQ(lseek(in, 5, SEEK_SET), 5);

  EXPECT_TRUE(UnpackDescriptors(in, out));
  struct stat info {};
  ASSERT_EQ(fstat(out, &info), 0);
  ASSERT_EQ(info.st_size, static_cast<off_t>(data.size()));
  std::string back(data.size(), '\0');
  EXPECT_EQ(pread(out, back.data(), back.size(), 0), static_cast<ssize_t>(back.size()));
  EXPECT_TRUE(back == data);
  EXPECT_EQ(fcntl(out, F_GETFD), FD_CLOEXEC) << "the output descriptor stays the caller's";
  close(in);
  close(out);
}

}  // namespace
}  // namespace quire
