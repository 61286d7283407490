// Damaged books through the whole start-up, as a downloaded book would arrive: every field
// and block boundary of a sound book is damaged in turn, and each row says what the user
// sees (the message and the exit code, or which files could not be extracted). Every row
// also checks that the start-up ended in time, did not crash and wrote nothing outside
// the book folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "book/container_format.h"
#include "book/scrambled.h"
#include "book/stored_name.h"
#include "support/book_fixture.h"
#include "support/startup_run.h"

namespace quire {
namespace {

using testing::BookLayout;
using testing::GetScrambledInt;
using testing::PutScrambledInt;
using testing::RunStartupInChild;
using testing::StartupRun;
using testing::TestBook;

constexpr const char* kCorruptedText =
    "This E-Book appears to be corrupted. If you downloaded from the Internet try downloading "
    "it again.";
constexpr const char* kSelfParseText = "Self Parse Failed\n\nThis E-Book seems to be corrupted.";
constexpr const char* kNoFilesText = "No files in E-Book!\n\nThis E-Book seems to be corrupted.";
constexpr const char* kCountsText =
    "File Counts do not match!\n\nThis E-Book seems to be corrupted.";
constexpr const char* kNoIndexText = "Index file not found!\n\nThis E-Book seems to be corrupted.";

// The files of the sound book, in stored order.
enum FileIndex : size_t { kIndexPage = 0, kNotes = 1, kPicture = 2 };
const char* const kNames[] = {"index.html", "notes.txt", "picture.bin"};

std::string PictureBytes() {
  std::string bytes;
  for (int i = 0; i < 10000; ++i)
    bytes.push_back(static_cast<char>((i * 7) % 251));  // long enough to wrap the LZ window
  return bytes;
}

std::string Contents(size_t index) {
  switch (index) {
    case kIndexPage:
      return "<p>start</p>";
    case kNotes:
      return "plain notes";
    default:
      return PictureBytes();
  }
}

void DescribeBook(TestBook& book, bool withSplash) {
  book.AddPage(kNames[kIndexPage], Contents(kIndexPage));
  book.AddFile(kNames[kNotes], Contents(kNotes), /*packed=*/false);
  book.AddFile(kNames[kPicture], Contents(kPicture));
  book.AddVariable("note", "a < b", 1);
  if (withSplash)
    book.Input().splashBitmap = "BM" + std::string(100, 'p');
}

// Walks the directory: the absolute position of field `field` of entry `index`, counting
// fields in stored order from 0 (mark, name, reserved, data offset, stored size,
// searchable, in contents, packed, title, description, keywords, sort key, expand).
size_t EntryField(const std::string& bytes, const BookLayout& layout, size_t index, int field) {
  static const char kKinds[] = "ITIIIIIITTTTI";  // I integer, T text
  size_t pos = layout.directory + 8;
  for (size_t entry = 0;; ++entry) {
    for (int f = 0; kKinds[f]; ++f) {
      if (entry == index && f == field)
        return pos;
      pos += 4 + (kKinds[f] == 'T' ? static_cast<size_t>(GetScrambledInt(bytes, pos)) : 0);
    }
  }
}

// Where entry `index`'s stored bytes begin.
size_t DataStart(const std::string& bytes, const BookLayout& layout, size_t index) {
  return layout.dataBase +
         static_cast<size_t>(GetScrambledInt(bytes, EntryField(bytes, layout, index, 3)));
}

// Puts `stream` (unscrambled) in place of entry `index`'s stored bytes, which must be at
// least as long, and makes it the stored size.
void ReplaceStoredData(std::string* bytes, const BookLayout& layout, size_t index,
                       std::string stream) {
  const size_t sizeField = EntryField(*bytes, layout, index, 4);
  ASSERT_LE(static_cast<int32_t>(stream.size()), GetScrambledInt(*bytes, sizeField));
  XorBytes(stream.data(), stream.size(), kDataKey);
  bytes->replace(DataStart(*bytes, layout, index), stream.size(), stream);
  PutScrambledInt(bytes, sizeField, static_cast<int32_t>(stream.size()));
}

// An LZ stream laid out bit by bit: tokens given as (value, bit count) pairs.
std::string Bits(std::initializer_list<std::pair<uint32_t, int>> fields) {
  std::string out;
  int used = 0;
  for (auto [value, count] : fields) {
    for (int i = 0; i < count; ++i, ++used) {
      if (used % 8 == 0)
        out.push_back('\0');
      out.back() = static_cast<char>(out.back() | (((value >> i) & 1) << (used % 8)));
    }
  }
  return out;
}

// Keeps the first `cut` bytes and puts the trailer right after, so everything stored from
// `cut` on is missing while the trailer still points at it.
std::string CutAt(const std::string& bytes, const BookLayout& layout, size_t cut) {
  return bytes.substr(0, cut) + bytes.substr(layout.trailer);
}

enum class Outcome { kCorrupted, kSelfParse, kNoFiles, kCounts, kLoaded };

struct Row {
  std::string what;
  std::function<void(std::string*, const BookLayout&)> damage;
  Outcome outcome;
  // kLoaded: the files that come out exactly; every other one is missing or not the same.
  std::set<size_t> intact = {kIndexPage, kNotes, kPicture};
  bool indexMissing = false;  // kLoaded: the book then opens on its about page
  // Without a splash picture, which lies behind the records and is read first: the cuts
  // then reach the records.
  bool withSplash = true;
};

std::function<void(std::string*, const BookLayout&)> SetInt(size_t BookLayout::*block, long offset,
                                                            int32_t value) {
  return [=](std::string* b, const BookLayout& l) {
    PutScrambledInt(b, static_cast<size_t>(static_cast<long>(l.*block) + offset), value);
  };
}

std::function<void(std::string*, const BookLayout&)> SetEntryInt(size_t index, int field,
                                                                 int32_t value) {
  return [=](std::string* b, const BookLayout& l) {
    PutScrambledInt(b, EntryField(*b, l, index, field), value);
  };
}

std::vector<Row> Rows() {
  std::vector<Row> rows = {
      {"sound book", [](std::string*, const BookLayout&) {}, Outcome::kLoaded},
      // Trailer and splash picture: read before anything else.
      {"empty file", [](std::string* b, const BookLayout&) { b->clear(); }, Outcome::kCorrupted},
      {"shorter than a trailer", [](std::string* b, const BookLayout&) { b->resize(103); },
       Outcome::kCorrupted},
      {"cut inside the trailer",
       [](std::string* b, const BookLayout& l) { b->resize(l.trailer + 60); }, Outcome::kCorrupted},
      {"trailer start mark", SetInt(&BookLayout::trailer, 0, 0x0FF5E102), Outcome::kCorrupted},
      {"trailer end mark", SetInt(&BookLayout::trailer, 100, 0), Outcome::kCorrupted},
      {"splash position without size", SetInt(&BookLayout::trailer, 32, 0), Outcome::kCorrupted},
      {"splash size without position", SetInt(&BookLayout::trailer, 28, 0), Outcome::kCorrupted},
      {"splash size past the end", SetInt(&BookLayout::trailer, 32, 0x7FFFFFFF),
       Outcome::kCorrupted},
      {"negative splash position", SetInt(&BookLayout::trailer, 28, -5), Outcome::kCorrupted},
      {"splash stream cut short", SetInt(&BookLayout::trailer, 32, 3), Outcome::kCorrupted},
      // Positions of the records.
      {"settings position past the end", SetInt(&BookLayout::trailer, 8, 0x7FFFFFF0),
       Outcome::kSelfParse},
      {"negative settings position", SetInt(&BookLayout::trailer, 8, -1), Outcome::kSelfParse},
      {"reserved list position past the end", SetInt(&BookLayout::trailer, 12, 0x7FFFFFF0),
       Outcome::kSelfParse},
      {"directory position past the end", SetInt(&BookLayout::trailer, 16, 0x7FFFFFF0),
       Outcome::kSelfParse},
      {"variable list position past the end", SetInt(&BookLayout::trailer, 24, 0x7FFFFFF0),
       Outcome::kSelfParse},
      {"directory position on the settings record", SetInt(&BookLayout::trailer, 16, 0),
       Outcome::kSelfParse},
      // Marks.
      {"settings start mark", SetInt(&BookLayout::settings, 0, 0), Outcome::kSelfParse},
      {"settings end mark", SetInt(&BookLayout::reservedList, -4, 0), Outcome::kSelfParse},
      {"reserved list mark", SetInt(&BookLayout::reservedList, 0, 0), Outcome::kSelfParse},
      {"directory mark", SetInt(&BookLayout::directory, 0, 0), Outcome::kSelfParse},
      {"first file entry mark", SetEntryInt(0, 0, 0), Outcome::kSelfParse},
      {"last file entry mark", SetEntryInt(2, 0, 0), Outcome::kSelfParse},
      {"variable list mark", SetInt(&BookLayout::variables, 0, 0), Outcome::kSelfParse},
      {"variable entry mark", SetInt(&BookLayout::variables, 12, 0), Outcome::kSelfParse},
      // Counts.
      {"reserved text count above 1000", SetInt(&BookLayout::reservedList, 12, 1001),
       Outcome::kSelfParse},
      {"directory count past the end", SetInt(&BookLayout::directory, 4, 0x7FFFFFFF),
       Outcome::kSelfParse},
      {"directory count one more", SetInt(&BookLayout::directory, 4, 4), Outcome::kSelfParse},
      {"directory count one less", SetInt(&BookLayout::directory, 4, 2), Outcome::kCounts},
      {"directory count 0", SetInt(&BookLayout::directory, 4, 0), Outcome::kCounts},
      {"negative directory count", SetInt(&BookLayout::directory, 4, -3), Outcome::kCounts},
      {"variable count past the end", SetInt(&BookLayout::variables, 8, 0x7FFFFFFF),
       Outcome::kSelfParse},
      {"settings file count 0", SetInt(&BookLayout::reservedList, -8, 0), Outcome::kNoFiles},
      {"settings file count one more", SetInt(&BookLayout::reservedList, -8, 4), Outcome::kCounts},
      {"negative settings file count", SetInt(&BookLayout::reservedList, -8, -1), Outcome::kCounts},
      // Lengths of texts.
      {"settings text length past the end", SetInt(&BookLayout::settings, 4, 0x7FFFFFFF),
       Outcome::kSelfParse},
      {"negative settings text length", SetInt(&BookLayout::settings, 4, -1), Outcome::kSelfParse},
      {"file name length past the end", SetEntryInt(1, 1, 0x7FFFFFFF), Outcome::kSelfParse},
      {"negative file name length", SetEntryInt(1, 1, -2), Outcome::kSelfParse},
      {"title length into the next entry", SetEntryInt(0, 8, 30), Outcome::kSelfParse},
      // File data: the load goes on without the file.
      // The start page is chosen by name, whether or not its file came out.
      {"data base past the end",
       SetInt(&BookLayout::trailer, 20, 0x7FFFFFF0),
       Outcome::kLoaded,
       {}},
      {"negative data base", SetInt(&BookLayout::trailer, 20, -0x7FFFFFF0), Outcome::kLoaded, {}},
      {"index page renamed",
       [](std::string* b, const BookLayout& l) {
         // "index.html" becomes "indey.html", same length
         (*b)[EntryField(*b, l, kIndexPage, 1) + 4 + 4] ^= 'x' ^ 'y';
       },
       Outcome::kLoaded,
       {kNotes, kPicture},
       true},
      {"data offset past the end",
       SetEntryInt(kNotes, 3, 0x7FFFFF00),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"negative data offset",
       SetEntryInt(kNotes, 3, -4096),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"largest data offset",
       SetEntryInt(kNotes, 3, 0x7FFFFFFF),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"stored size past the end",
       SetEntryInt(kNotes, 4, 0x7FFFFFFF),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"negative stored size",
       SetEntryInt(kNotes, 4, -1),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"packed stored size past the end",
       SetEntryInt(kPicture, 4, 0x7FFFFFFF),
       Outcome::kLoaded,
       {kIndexPage, kNotes}},
      {"packed data offset at the very end",
       [](std::string* b, const BookLayout& l) {
         const int32_t offset = static_cast<int32_t>(l.size - l.dataBase);
         PutScrambledInt(b, EntryField(*b, l, kPicture, 3), offset);
       },
       Outcome::kLoaded,
       {kIndexPage, kNotes}},
      {"packed page with stored size 0",
       SetEntryInt(kIndexPage, 4, 0),
       Outcome::kLoaded,
       {kNotes, kPicture}},
      {"packed flag on plain data",
       SetEntryInt(kNotes, 7, 1),
       Outcome::kLoaded,
       {kIndexPage, kPicture}},
      {"packed flag taken off packed data",
       SetEntryInt(kPicture, 7, 0),
       Outcome::kLoaded,
       {kIndexPage, kNotes}},
      {"LZ stream one byte short",
       [](std::string* b, const BookLayout& l) {
         const size_t field = EntryField(*b, l, kPicture, 4);
         PutScrambledInt(b, field, GetScrambledInt(*b, field) - 1);
       },
       Outcome::kLoaded,
       {kIndexPage, kNotes}},
      {"LZ stream that never reaches its end token",
       [](std::string* b, const BookLayout& l) {
         ReplaceStoredData(b, l, kPicture, std::string(400, '\0'));  // literals of 0 only
       },
       Outcome::kLoaded,
       {kIndexPage, kNotes}},
      {"LZ copy from before the first byte",
       [](std::string* b, const BookLayout& l) {
         // copy 3 bytes from 100 back, literal 'a', end: the window starts out as zeros
         ReplaceStoredData(b, l, kIndexPage,
                           Bits({{1, 1}, {0, 4}, {100, 13}, {0, 1}, {'a', 8}, {1, 1}, {15, 4}}));
       },
       Outcome::kLoaded,
       {kNotes, kPicture}},
      {"index page data in the trailer",
       [](std::string* b, const BookLayout& l) {
         const int32_t offset = static_cast<int32_t>(l.trailer - l.dataBase);
         PutScrambledInt(b, EntryField(*b, l, kIndexPage, 3), offset);
       },
       Outcome::kLoaded,
       {kNotes, kPicture}},
  };

  // The book cut at every record edge, the trailer kept: whatever lies behind the cut is
  // missing. The records lie behind the file data, so every cut before the end of the
  // variable list loses a record; a cut inside the splash picture loses only the picture.
  std::string sound;
  std::string withSplash;
  {
    TestBook book;
    DescribeBook(book, false);
    sound = book.Bytes();
    TestBook splashBook;
    DescribeBook(splashBook, true);
    withSplash = splashBook.Bytes();
  }
  const BookLayout l(sound);
  std::vector<std::pair<std::string, size_t>> edges = {{"the data", l.dataBase},
                                                       {"the settings record", l.settings},
                                                       {"the reserved list", l.reservedList},
                                                       {"the directory", l.directory},
                                                       {"the variable list", l.variables}};
  for (size_t i = 0; i < 3; ++i) {
    edges.push_back({std::string("the data of ") + kNames[i], DataStart(sound, l, i)});
    edges.push_back({std::string("the entry of ") + kNames[i], EntryField(sound, l, i, 0)});
    edges.push_back({std::string("the name of ") + kNames[i], EntryField(sound, l, i, 1)});
  }
  edges.push_back({"the first variable", l.variables + 12});
  const BookLayout splashLayout(withSplash);
  const size_t splash = static_cast<size_t>(GetScrambledInt(withSplash, splashLayout.trailer + 28));
  for (const auto& [name, at] : edges) {
    for (size_t cut : {at, at + 1, at + 4}) {
      // Cut 4 bytes into the variable list, the trailer's own first fields follow the
      // list's mark and read as a flag and a count of 0: a sound, empty list.
      const bool readsAsEmptyList = at == l.variables && cut == at + 4;
      rows.push_back(
          {"cut at " + name + " + " + std::to_string(cut - at),
           [cut](std::string* b, const BookLayout& layout) { *b = CutAt(*b, layout, cut); },
           readsAsEmptyList ? Outcome::kLoaded : Outcome::kSelfParse,
           {kIndexPage, kNotes, kPicture},
           false,
           false});
    }
  }
  rows.push_back(
      {"cut at the splash picture",
       [splash](std::string* b, const BookLayout& layout) { *b = CutAt(*b, layout, splash); },
       Outcome::kCorrupted});
  rows.push_back(
      {"cut inside the splash picture",
       [splash](std::string* b, const BookLayout& layout) { *b = CutAt(*b, layout, splash + 2); },
       Outcome::kCorrupted});
  return rows;
}

std::string MessageOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCorrupted:
      return kCorruptedText;
    case Outcome::kSelfParse:
      return kSelfParseText;
    case Outcome::kNoFiles:
      return kNoFilesText;
    case Outcome::kCounts:
      return kCountsText;
    case Outcome::kLoaded:
      return "";
  }
  return "";
}

TEST(DamagedBookLoadTest, EveryFieldAndBoundaryGivesItsMessageOrAFailedExtraction) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.what);
    TestBook book;
    DescribeBook(book, row.withSplash);
    std::string bytes = book.Bytes();
    row.damage(&bytes, BookLayout(bytes));
    book.WriteBytes(bytes);

    const StartupRun run = RunStartupInChild(book.Path());
    ASSERT_FALSE(run.timedOut) << "start-up did not end";
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.otherOutput;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.otherOutput, "");
    if (row.outcome != Outcome::kLoaded) {
      EXPECT_FALSE(run.loaded);
      EXPECT_EQ(run.messages, std::vector<std::string>{MessageOf(row.outcome)});
    } else {
      EXPECT_TRUE(run.loaded);
      if (row.indexMissing) {
        EXPECT_EQ(run.messages, std::vector<std::string>{kNoIndexText});
        EXPECT_EQ(run.startPage, book.Folder() + "__about.html");
      } else {
        EXPECT_EQ(run.messages, std::vector<std::string>{});
        EXPECT_EQ(run.startPage, book.Folder() + "index.html");
      }
      for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(kNames[i]);
        if (row.intact.count(i))
          EXPECT_EQ(book.Extracted(kNames[i]), Contents(i));
        else
          EXPECT_NE(book.Extracted(kNames[i]), Contents(i));
      }
    }

    // Nothing but the book file, the private folder, the book folder and what lies in it.
    const std::string privateName = "quire-" + std::to_string(geteuid());
    const std::string bookFolder = privateName + "/" + TestBook::kEsbn + ".k9w";
    for (const std::string& path : testing::EverythingUnder(book.Tmp().Path())) {
      if (path == "book.bin" || path == privateName || path == bookFolder)
        continue;
      EXPECT_EQ(path.rfind(bookFolder + "/", 0), 0u) << "written outside the book folder: " << path;
    }
  }
}

// Stored names longer or deeper than the reader keeps: a book of ours (it carries the
// feature record and keeps folders) holding one is damaged and says so as a damaged
// directory does; any other book reads as it always did, without that one file.
TEST(DamagedBookLoadTest, NamesBeyondTheLimitsRefuseABookOfOurs) {
  const std::string longPart(kMaxStoredNamePartBytes + 1, 'p');
  std::string deep = "d";
  for (size_t i = 0; i < kMaxStoredNameParts; ++i)
    deep += "/d";
  std::string longName;
  while (longName.size() < kMaxStoredNameBytes)
    longName += std::string(100, 'n') + "/";
  longName += "page.html";
  struct NameRow {
    std::string what;
    std::string name;
    bool ours;
    Outcome outcome;
  };
  const std::vector<NameRow> rows = {
      {"a part of 256 bytes", longPart, true, Outcome::kSelfParse},
      {"a part of 256 bytes below a folder", "sub/" + longPart, true, Outcome::kSelfParse},
      {"33 parts", deep, true, Outcome::kSelfParse},
      {"more than 1024 bytes", longName, true, Outcome::kSelfParse},
      {"a part of 256 bytes, another tool's book", longPart, false, Outcome::kLoaded},
      {"33 parts, another tool's book", deep, false, Outcome::kLoaded},
  };
  for (const NameRow& row : rows) {
    SCOPED_TRACE(row.what);
    TestBook book;
    DescribeBook(book, false);
    book.AddFile(row.name, "beyond");
    book.Input().features.recorded = row.ours;
    book.Write();
    const StartupRun run = RunStartupInChild(book.Path());
    ASSERT_TRUE(run.exited) << run.otherOutput;
    EXPECT_EQ(run.exitCode, 0);
    if (row.outcome == Outcome::kLoaded) {
      EXPECT_TRUE(run.loaded);
      EXPECT_EQ(run.messages, std::vector<std::string>{});
      EXPECT_EQ(book.Extracted(kNames[kNotes]), Contents(kNotes));
    } else {
      EXPECT_FALSE(run.loaded);
      EXPECT_EQ(run.messages, std::vector<std::string>{MessageOf(row.outcome)});
      EXPECT_FALSE(testing::PathExists(book.Folder() + kNames[kIndexPage]));
    }
    EXPECT_FALSE(testing::PathExists(book.Folder() + "d"));
    EXPECT_FALSE(testing::PathExists(book.Folder() + "sub"));
  }
}

// The LZ copy that reaches before the first byte reads zeros, never left-over memory.
TEST(DamagedBookLoadTest, CopyFromBeforeTheStreamGivesZeros) {
  TestBook book;
  DescribeBook(book, false);
  std::string bytes = book.Bytes();
  ReplaceStoredData(&bytes, BookLayout(bytes), kIndexPage,
                    Bits({{1, 1}, {0, 4}, {100, 13}, {0, 1}, {'a', 8}, {1, 1}, {15, 4}}));
  book.WriteBytes(bytes);
  const StartupRun run = RunStartupInChild(book.Path());
  ASSERT_TRUE(run.loaded);
  EXPECT_EQ(book.Extracted("index.html"), std::string("\0\0\0a", 4));
}

}  // namespace
}  // namespace quire
