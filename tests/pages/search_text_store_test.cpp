#include "pages/search_text_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/lz.h"
#include "pages/pages_fixture.h"
#include "support/book_fixture.h"

namespace quire::testing {
namespace {

EBookFile Entry(const std::string& name, bool searchable = true, bool expand = false) {
  EBookFile entry;
  entry.fileName = name;
  entry.searchable = searchable;
  entry.expandVariables = expand;
  return entry;
}

const std::vector<EBookFile> kDirectory = {Entry("index.html"), Entry("logo.png", false),
                                           Entry("a.html"), Entry("vars.html", true, true),
                                           Entry("b.html")};

// "index:text" for every page the reader hands out, and whether it read to the end.
struct Read {
  std::vector<std::string> pages;
  bool complete = false;
};

Read ReadBytes(const std::string& bytes) {
  Read read;
  read.complete = ReadSearchTextBytes(bytes, kDirectory, [&](size_t index, std::string_view text) {
    read.pages.push_back(std::to_string(index) + ":" + std::string(text));
  });
  return read;
}

void PutU32(std::string* bytes, size_t at, uint32_t value) {
  for (int k = 0; k < 4; ++k)
    (*bytes)[at + k] = static_cast<char>(value >> (8 * k));
}

// The record of page k begins at 8 + 12 k: index, name hash, length.
size_t RecordAt(size_t k) {
  return kSearchTextHeaderSize + k * kSearchTextRecordSize;
}

const std::vector<PageText> kTexts = {
    {0, "index.html", "start page"}, {2, "a.html", "alpha"}, {4, "b.html", "beta"}};

TEST(SearchTextStoreTest, TextsReadBackInOrder) {
  const Read read = ReadBytes(SearchTextBytes(kTexts));
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.pages, (std::vector<std::string>{"0:start page", "2:alpha", "4:beta"}));
}

// Damaged texts never crash or read out of bounds: records that make no sense are passed
// over, and a text that runs past the end ends the reading there.
TEST(SearchTextStoreTest, DamagedBytesAsATable) {
  const std::string good = SearchTextBytes(kTexts);
  struct Damage {
    const char* what;
    std::string bytes;
    std::vector<std::string> pages;
    bool complete;
  };
  auto with = [&](size_t at, uint32_t value) {
    std::string bytes = good;
    PutU32(&bytes, at, value);
    return bytes;
  };
  const std::string textsStart = good.substr(0, RecordAt(3));
  const Damage cases[] = {
      {"empty", "", {}, false},
      {"header cut short", good.substr(0, 6), {}, false},
      {"wrong mark", "QST2" + good.substr(4), {}, false},
      {"more records than entries", with(4, 6), {}, false},
      {"a huge count", with(4, 0xFFFFFFFFu), {}, false},
      {"table cut short", good.substr(0, RecordAt(2) + 5), {}, false},
      {"no pages at all", SearchTextBytes({}), {}, true},
      {"index past the directory", with(RecordAt(1), 5), {"0:start page", "4:beta"}, true},
      {"index not increasing", with(RecordAt(1), 0), {"0:start page", "4:beta"}, true},
      {"entry not searchable", with(RecordAt(1), 1), {"0:start page", "4:beta"}, true},
      {"entry expanded at load", with(RecordAt(1), 3), {"0:start page", "4:beta"}, true},
      {"name hash of another page",
       with(RecordAt(1) + 4, Fnv1a32("b.html")),
       {"0:start page", "4:beta"},
       true},
      {"length past the end", with(RecordAt(2) + 8, 5000), {"0:start page", "2:alpha"}, false},
      {"length beyond any page", with(RecordAt(0) + 8, 0xFFFFFFF0u), {}, false},
      {"texts cut short", good.substr(0, good.size() - 1), {"0:start page", "2:alpha"}, false},
      {"no texts", textsStart, {}, false},
      {"bytes after the last text are ignored",
       good + "junk",
       {"0:start page", "2:alpha", "4:beta"},
       true},
  };
  for (const Damage& d : cases) {
    const Read read = ReadBytes(d.bytes);
    EXPECT_EQ(read.pages, d.pages) << d.what;
    EXPECT_EQ(read.complete, d.complete) << d.what;
  }
}

TEST(SearchTextStoreTest, BlocksOfAnySizeGiveTheSameTexts) {
  // Read from a book file, where the bytes come in blocks; also packed, in windows.
  for (bool packed : {false, true}) {
    TestBook book;
    std::string big(3 << 20, 'x');  // a text larger than one block
    std::vector<PageText> texts = kTexts;
    texts[1].text = big;
    const std::string bytes = SearchTextBytes(texts);
    book.AddFile("texts", bytes, packed);
    const std::string path = book.Write();
    BookInput in;
    ASSERT_TRUE(in.Open(path));
    // The only file's data comes first.
    const int64_t position = static_cast<int64_t>(BookLayout(book.Bytes()).dataBase);
    const int64_t size = static_cast<int64_t>(packed ? LzPack(bytes).size() : bytes.size());
    std::vector<std::string> pages;
    EXPECT_TRUE(ReadSearchTexts(
        in, position, size, packed, kDirectory, [&](size_t index, std::string_view text) {
          pages.push_back(std::to_string(index) + ":" + std::string(text.substr(0, 5)) + "/" +
                          std::to_string(text.size()));
        }));
    EXPECT_EQ(pages, (std::vector<std::string>{"0:start/10", "2:xxxxx/3145728", "4:beta/4"}));
    // Where the stored bytes lie outside the file, nothing is read.
    EXPECT_FALSE(ReadSearchTexts(in, in.Size() - 3, size, packed, kDirectory,
                                 [](size_t, std::string_view) {}));
    EXPECT_FALSE(ReadSearchTexts(in, -5, 100, packed, kDirectory, [](size_t, std::string_view) {}));
  }
}

}  // namespace
}  // namespace quire::testing
