#include "book/book_writer.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "book/buffered_file_writer.h"
#include "book/cebook.h"
#include "book/container_reader.h"
#include "book/lz.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::ScopedTmpdir;
using testing::TestBook;
using testing::WriteWholeFile;

TEST(BookWriterTest, WritesAnExecutableFileThatStartsWithTheImage) {
  TestBook book;
  book.AddPage("index.html", "<p/>");
  const std::string path = book.Write();
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
  auto bytes = ReadWholeFile(path);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, book.Bytes());
  EXPECT_EQ(bytes->substr(0, book.Input().image.size()), book.Input().image);
}

TEST(BookWriterTest, StreamsFilesAndImageFromDisk) {
  ReaderContext context;
  testing::FakeWindow window{context.window};
  TestBook book;
  std::string big;
  for (int i = 0; big.size() < 3'000'000; ++i)
    big += "line " + std::to_string(i) + "\n";
  ASSERT_TRUE(WriteWholeFile(book.Tmp().File("big.txt"), big));
  ASSERT_TRUE(WriteWholeFile(book.Tmp().File("image"), "IMAGE-BYTES"));
  BookFileInput raw;
  raw.entry.fileName = "big.txt";
  raw.sourcePath = book.Tmp().File("big.txt");
  BookFileInput packed = raw;
  packed.entry.fileName = "index.html";
  packed.entry.packed = true;
  book.Input().files = {raw, packed};
  book.Input().imagePath = book.Tmp().File("image");
  book.WriteFor(context);
  EXPECT_EQ(ReadWholeFile(book.Path())->substr(0, 11), "IMAGE-BYTES");

  EXPECT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_TRUE(book.Extracted("big.txt") == big);
  EXPECT_TRUE(book.Extracted("index.html") == big);
}

// A book written without a program image and without file data still has its splash
// picture where the reader finds it: position 0 would mean "no picture".
TEST(BookWriterTest, SplashPictureOfABookWithoutImageOrDataIsFound) {
  TestBook book;
  book.Input().image.clear();
  std::string bitmap = "BM";
  bitmap.resize(500, '\x11');
  book.Input().splashBitmap = bitmap;
  const std::string path = book.Write();
  EBookTrailer trailer;
  ASSERT_TRUE(ReadTrailer(path, &trailer));
  EXPECT_NE(trailer.splashPos, 0);
  std::string picture;
  ASSERT_TRUE(ExtractSplashPicture(path, trailer.splashPos, trailer.splashSize, &picture));
  EXPECT_EQ(ReadWholeFile(picture), bitmap);
}

// A directory entry taken from another book may carry something in its reserved field;
// the writer stores 0 there all the same.
TEST(BookWriterTest, ReservedFieldOfADirectoryEntryIsStoredAsZero) {
  TestBook book;
  book.AddPage("index.html", "<p/>").reserved = 77;
  const std::string path = book.Write();
  EBookSettings settings;
  EBookReservedList reserved;
  std::vector<EBookFile> directory;
  EBookTrailer trailer;
  EBookVariableList variables;
  ContainerReader reader(path);
  ASSERT_TRUE(reader.Parse(&settings, &reserved, &directory, &trailer, &variables));
  ASSERT_EQ(directory.size(), 1u);
  EXPECT_EQ(directory[0].reserved, 0);
}

TEST(BookWriterTest, FailureLeavesNeitherABookNorATemporaryFile) {
  ScopedTmpdir tmp;
  ASSERT_TRUE(WriteWholeFile(tmp.File("book"), "the earlier book"));
  BookSpec bookSpec;
  BookFileInput missing;
  missing.entry.fileName = "gone.html";
  missing.sourcePath = tmp.File("no-such-file");
  bookSpec.files.push_back(missing);
  std::string error;
  EXPECT_FALSE(WriteBook(bookSpec, tmp.File("book"), &error));
  EXPECT_NE(error.find("no-such-file"), std::string::npos) << error;
  EXPECT_EQ(ReadWholeFile(tmp.File("book")), "the earlier book");
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.Path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  EXPECT_FALSE(WriteBook(bookSpec, tmp.File("no/folder/book"), &error));
}

// The streaming writer stores data in the order it comes and the directory in the order it
// is given; the reader follows the directory.
TEST(BookWriterTest, PieceByPieceTheDataMayComeInAnyOrder) {
  ReaderContext context;
  testing::FakeWindow window{context.window};
  TestBook book;
  ASSERT_TRUE(WriteWholeFile(book.Tmp().File("plain.bin"), std::string(70000, 'b')));
  BookFileWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Start(book.Path(), "", "IMAGE", &error)) << error;
  EBookFile index;
  index.fileName = "index.html";
  index.packed = true;
  EBookFile notes;
  notes.fileName = "docs/notes.txt";
  EBookFile plain;
  plain.fileName = "plain.bin";
  ASSERT_TRUE(writer.AddStored("notes", &notes, &error));
  ASSERT_TRUE(writer.AddFromPath(book.Tmp().File("plain.bin"), &plain, &error));
  ASSERT_TRUE(writer.AddStored(LzPack("<p>index</p>"), &index, &error));
  EXPECT_EQ(notes.dataOffset, 0);
  EXPECT_EQ(plain.dataOffset, 5);
  book.Input().features.recorded = true;
  book.Input().bookId = "piece-by-piece";
  ASSERT_TRUE(writer.Finish(book.Input(), {index, notes, plain}, &error)) << error;
  EXPECT_EQ(ReadWholeFile(book.Path())->substr(0, 5), "IMAGE");
  context.book.SetFile(book.Path());

  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_EQ(context.book.Files()[0].fileName, "index.html");
  EXPECT_EQ(context.book.Files()[1].fileName, "docs/notes.txt");
  EXPECT_EQ(book.Extracted("index.html"), "<p>index</p>");
  EXPECT_EQ(book.Extracted("docs/notes.txt"), "notes");
  EXPECT_TRUE(book.Extracted("plain.bin") == std::string(70000, 'b'));
}

TEST(BookWriterTest, AWriterThatDoesNotFinishLeavesNothing) {
  ScopedTmpdir tmp;
  std::string error;
  {
    BookFileWriter writer;
    ASSERT_TRUE(writer.Start(tmp.File("book"), "", "IMAGE", &error));
    EBookFile entry;
    entry.fileName = "a.txt";
    ASSERT_TRUE(writer.AddStored("a", &entry, &error));
  }
  EXPECT_TRUE(std::filesystem::is_empty(tmp.Path()));
}

TEST(BufferedFileWriterTest, SmallAndLargeBlocksArriveInOrder) {
  ScopedTmpdir tmp;
  BufferedFileWriter writer;
  ASSERT_TRUE(writer.Open(tmp.File("out")));
  std::string expected;
  for (size_t size : {10u, 65536u, 1u, 200000u, 65535u, 3u}) {
    std::string block(size, static_cast<char>('a' + size % 26));
    ASSERT_TRUE(writer.Write(block.data(), block.size()));
    expected += block;
  }
  ASSERT_TRUE(writer.Close());
  EXPECT_TRUE(ReadWholeFile(tmp.File("out")) == expected);
}

TEST(BufferedFileWriterTest, FinalFlushFailureIsReportedByClose) {
  BufferedFileWriter writer;
  ASSERT_TRUE(writer.Open("/dev/full"));
  EXPECT_TRUE(writer.Write("buffered", 8));  // nothing reaches the device yet
  EXPECT_FALSE(writer.Close());
}

}  // namespace
}  // namespace quire
