#include "book/book_features.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/cebook.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::TestBook;

EBookReservedList ListOf(std::vector<std::string> texts) {
  EBookReservedList list;
  list.texts = std::move(texts);
  return list;
}

TEST(BookFeaturesTest, ABookWithoutTheRecordGetsWhatTheReaderAlwaysDid) {
  for (const EBookReservedList& list :
       {EBookReservedList{}, ListOf({"something", "page-commands=no"}),
        ListOf({"", kBookFeaturesMark, "page-commands=no"})}) {
    const BookFeatures features = ReadBookFeatures(list);
    EXPECT_FALSE(features.recorded);
    EXPECT_TRUE(features.pageCommands);
    EXPECT_TRUE(features.unknown.empty());
  }
}

TEST(BookFeaturesTest, ValuesAreReadAfterTheMark) {
  struct Case {
    std::vector<std::string> texts;
    bool pageCommands;
    std::vector<std::string> unknown;
  };
  const std::vector<Case> cases = {
      {{kBookFeaturesMark}, true, {}},
      {{kBookFeaturesMark, "page-commands=no"}, false, {}},
      {{kBookFeaturesMark, "page-commands=yes"}, true, {}},
      {{kBookFeaturesMark, "page-commands=no", "page-commands=yes"}, true, {}},
      // What this reader cannot read is kept as stored and changes nothing.
      {{kBookFeaturesMark, "page-commands=maybe"}, true, {"page-commands=maybe"}},
      {{kBookFeaturesMark, "page-commands"}, true, {"page-commands"}},
      {{kBookFeaturesMark, "later-key=1", "no equals sign"},
       true,
       {"later-key=1", "no equals sign"}},
  };
  for (const Case& c : cases) {
    const BookFeatures features = ReadBookFeatures(ListOf(c.texts));
    EXPECT_TRUE(features.recorded);
    EXPECT_EQ(features.pageCommands, c.pageCommands) << c.texts.back();
    EXPECT_EQ(features.unknown, c.unknown) << c.texts.back();
  }
}

TEST(BookFeaturesTest, ColoursOfThePaletteAreRecordedOnlyWhenSo) {
  EXPECT_FALSE(ReadBookFeatures(ListOf({kBookFeaturesMark})).colorsFromPalette);
  EXPECT_TRUE(ReadBookFeatures(ListOf({kBookFeaturesMark, "colors=palette"})).colorsFromPalette);
  // Another value is a later writer's: kept, and the stored colours stay.
  const BookFeatures later = ReadBookFeatures(ListOf({kBookFeaturesMark, "colors=scheme"}));
  EXPECT_FALSE(later.colorsFromPalette);
  EXPECT_EQ(later.unknown, std::vector<std::string>{"colors=scheme"});
  // Without the record nothing counts.
  EXPECT_FALSE(ReadBookFeatures(ListOf({"colors=palette"})).colorsFromPalette);

  BookFeatures features;
  features.recorded = true;
  EXPECT_EQ(WriteBookFeatures(features).texts,
            (std::vector<std::string>{kBookFeaturesMark, "page-commands=yes"}));
  features.colorsFromPalette = true;
  const EBookReservedList list = WriteBookFeatures(features);
  EXPECT_EQ(list.texts,
            (std::vector<std::string>{kBookFeaturesMark, "page-commands=yes", "colors=palette"}));
  EXPECT_TRUE(ReadBookFeatures(list).colorsFromPalette);
}

TEST(BookFeaturesTest, AnUnrecordedBookWritesTheEmptyList) {
  BookFeatures features;
  features.pageCommands = false;  // not written without the record
  const EBookReservedList list = WriteBookFeatures(features);
  EXPECT_EQ(list.first, "");
  EXPECT_EQ(list.second, "");
  EXPECT_TRUE(list.texts.empty());
}

TEST(BookFeaturesTest, WrittenRecordReadsBackTheSame) {
  BookFeatures features;
  features.recorded = true;
  features.pageCommands = false;
  features.unknown = {"later-key=1"};
  const EBookReservedList list = WriteBookFeatures(features);
  EXPECT_EQ(list.texts,
            (std::vector<std::string>{kBookFeaturesMark, "page-commands=no", "later-key=1"}));
  const BookFeatures back = ReadBookFeatures(list);
  EXPECT_TRUE(back.recorded);
  EXPECT_FALSE(back.pageCommands);
  EXPECT_EQ(back.unknown, features.unknown);
}

TEST(BookFeaturesTest, ReadingKeysAreWrittenOnlyWhereTheyDifferFromTheDefault) {
  BookFeatures features;
  features.recorded = true;
  EXPECT_EQ(WriteBookFeatures(features).texts,
            (std::vector<std::string>{kBookFeaturesMark, "page-commands=yes"}));
  features.contentsPane = true;
  features.rememberReading = false;
  const EBookReservedList list = WriteBookFeatures(features);
  EXPECT_EQ(list.texts, (std::vector<std::string>{kBookFeaturesMark, "page-commands=yes",
                                                  "contents-pane=yes", "remember-reading=no"}));
  const BookFeatures back = ReadBookFeatures(list);
  EXPECT_TRUE(back.contentsPane);
  EXPECT_FALSE(back.rememberReading);
  EXPECT_TRUE(back.unknown.empty());

  // Values other than yes and no are kept as unknown texts and leave the defaults.
  const BookFeatures odd =
      ReadBookFeatures(ListOf({kBookFeaturesMark, "contents-pane=1", "remember-reading=off"}));
  EXPECT_FALSE(odd.contentsPane);
  EXPECT_TRUE(odd.rememberReading);
  EXPECT_EQ(odd.unknown, (std::vector<std::string>{"contents-pane=1", "remember-reading=off"}));
}

TEST(BookFeaturesTest, ALoadedBookOffersItsRecord) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>Hi</p>");
  book.Input().features.recorded = true;
  book.Input().features.pageCommands = false;
  book.WriteFor(context);
  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_TRUE(context.book.Features().recorded);
  EXPECT_FALSE(context.book.Features().pageCommands);

  context.book.Reset();
  EXPECT_FALSE(context.book.Features().recorded);
  EXPECT_TRUE(context.book.Features().pageCommands);
}

TEST(BookFeaturesTest, ABookWithoutTheRecordLoadsWithTheDefaults) {
  ReaderContext context;
  FakeWindow window{context.window};
  TestBook book;
  book.AddPage("index.html", "<p>Hi</p>");
  book.WriteFor(context);
  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_FALSE(context.book.Features().recorded);
  EXPECT_TRUE(context.book.Features().pageCommands);
}

}  // namespace
}  // namespace quire
