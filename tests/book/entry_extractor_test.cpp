#include "book/entry_extractor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "book/container_format.h"
#include "book/lz.h"
#include "book/scrambled.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using Result = EntryExtractor::Result;
using testing::ReadWholeFile;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr size_t kBlock = EntryExtractor::kBlockSize;

// Text that packs into a mix of literals and copies, different at every length.
std::string Text(size_t size) {
  std::string text;
  text.reserve(size + 32);
  uint32_t x = 7;
  while (text.size() < size) {
    x = x * 1103515245 + 12345;
    text += "<p>word" + std::to_string(x >> 22) + " </p>";
  }
  text.resize(size);
  return text;
}

// A "book" of the stored form of `data` behind a few bytes of something else, as the data
// area lies behind the reader's image.
struct StoredFile {
  static constexpr int64_t kPosition = 100;
  ScopedTmpdir tmp;
  std::string path = tmp.File("book.bin");
  std::string output = tmp.File("out");
  int64_t size = 0;

  // `stored` is the entry's stored form before scrambling.
  explicit StoredFile(std::string stored) {
    size = static_cast<int64_t>(stored.size());
    XorBytes(stored.data(), stored.size(), kDataKey);
    EXPECT_TRUE(WriteWholeFile(path, std::string(kPosition, 'i') + stored + "after"));
  }
  int CreateOutput() const {
    return open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  }
};

// Every size around the block edges, plain and packed, held whole (changed) or not.
TEST(EntryExtractorTest, FilesOfEverySizeComeOutExactlyWithOrWithoutAChange) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{8191}, size_t{8192}, kBlock - 1, kBlock,
                      kBlock + 1, 2 * kBlock + 12345}) {
    const std::string data = Text(size);
    for (bool packed : {false, true}) {
      const StoredFile file(packed ? LzPack(data) : data);
      for (bool change : {false, true}) {
        SCOPED_TRACE(std::to_string(size) + (packed ? " packed" : " plain") +
                     (change ? " changed" : ""));
        BookInput in;
        ASSERT_TRUE(in.Open(file.path));
        const int fd = file.CreateOutput();
        ASSERT_GE(fd, 0);
        size_t seen = SIZE_MAX;
        EntryExtractor extractor;
        const Result result =
            change ? extractor.Extract(in, StoredFile::kPosition, file.size, packed, fd,
                                       [&seen](std::string* bytes) {
                                         seen = bytes->size();
                                         *bytes = "[" + *bytes + "]";
                                       })
                   : extractor.Extract(in, StoredFile::kPosition, file.size, packed, fd);
        close(fd);
        EXPECT_EQ(result, Result::kDone);
        if (change) {
          EXPECT_EQ(seen, size) << "the change sees the whole file";
          EXPECT_TRUE(ReadWholeFile(file.output) == "[" + data + "]");
        } else {
          EXPECT_TRUE(ReadWholeFile(file.output) == data);
        }
      }
    }
  }
}

// One extractor serves many entries: nothing of one (window, held bytes) reaches the next.
// A copy that reaches before the first byte of its stream reads zeros, whatever the
// entry before it left in the window.
TEST(EntryExtractorTest, EntriesExtractedOneAfterAnotherDoNotMix) {
  const std::string big = Text(3 * kBlock);
  StoredFile first(LzPack(big));
  StoredFile second(LzPack("short"));
  // Copy 3 bytes from 100 back, the literal 'a', the end token: bits 1 0000 (100 in 13
  // bits) 0 'a' 1 1111, first bit lowest.
  StoredFile reachBack("\x81\x0C\x08\xFB");
  EntryExtractor extractor;
  for (const StoredFile* file : {&first, &second, &reachBack, &first}) {
    BookInput in;
    ASSERT_TRUE(in.Open(file->path));
    const int fd = file->CreateOutput();
    EXPECT_EQ(
        extractor.Extract(in, StoredFile::kPosition, file->size, true, fd, [](std::string*) {}),
        Result::kDone);
    close(fd);
  }
  EXPECT_TRUE(ReadWholeFile(first.output) == big);
  EXPECT_EQ(ReadWholeFile(second.output), "short");
  EXPECT_EQ(ReadWholeFile(reachBack.output), std::string("\0\0\0a", 4));
}

// The failure paths, each with what stays written: a damaged stream keeps its full
// windows, stored bytes that end early keep what arrived, and a change is never applied
// to a file that is not whole.
TEST(EntryExtractorTest, FailuresSayWhatWentWrongAndKeepWhatCameBefore) {
  const std::string data = Text(3 * 8192 + 100);
  const struct {
    const char* what;
    bool packed;
    int64_t cutStored;  // stored bytes taken off the entry's size
    int64_t cutBook;    // bytes of the entry taken off the book file after it was opened
    bool toFullDevice;  // the output is a device that takes no bytes
    Result result;
    size_t keptBytes;  // the output holds the first keptBytes of the data
  } cases[] = {
      {"packed stream without its last bytes", true, 2, 0, false, Result::kDamagedStream, 3 * 8192},
      {"packed entry of size 0", true, -1, 0, false, Result::kDamagedStream, 0},
      {"packed book cut short while open", true, 0, 5, false, Result::kShortData, 3 * 8192},
      {"plain book cut short while open", false, 0, 100, false, Result::kShortData,
       data.size() - 100},
      {"packed output that cannot be written", true, 0, 0, true, Result::kWriteFailed, 0},
      {"plain output that cannot be written", false, 0, 0, true, Result::kWriteFailed, 0},
  };
  for (const auto& c : cases) {
    for (bool change : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (change ? ", changed" : ""));
      StoredFile file(c.packed ? LzPack(data) : data);
      const int64_t size = c.cutStored < 0 ? 0 : file.size - c.cutStored;
      BookInput in;
      ASSERT_TRUE(in.Open(file.path));
      if (c.cutBook > 0) {
        // Everything behind the entry goes too, so the entry itself ends early.
        ASSERT_EQ(truncate(file.path.c_str(), StoredFile::kPosition + file.size - c.cutBook), 0);
      }
      const int fd = c.toFullDevice ? open("/dev/full", O_WRONLY | O_CLOEXEC) : file.CreateOutput();
      ASSERT_GE(fd, 0);
      bool changed = false;
      EntryExtractor extractor;
      const Result result =
          extractor.Extract(in, StoredFile::kPosition, size, c.packed, fd,
                            change ? EntryExtractor::Change([&changed](std::string* bytes) {
                              changed = true;
                              bytes->append("!");
                            })
                                   : EntryExtractor::Change());
      close(fd);
      EXPECT_EQ(result, c.result);
      // Only a file that came out whole is changed, even when it cannot be written.
      EXPECT_EQ(changed, change && c.result == Result::kWriteFailed);
      if (!c.toFullDevice) {
        EXPECT_TRUE(ReadWholeFile(file.output) == data.substr(0, c.keptBytes));
      }
    }
  }
}

}  // namespace
}  // namespace quire
