// Reading a planned book's files on several threads: handed on in plan order, stopped at
// the first failure, and never more than a bounded number in memory at once.
#include "source_read.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "book/lz.h"
#include "support/scoped_tmpdir.h"

namespace quire::pack {
namespace {

using quire::testing::ScopedTmpdir;
using quire::testing::WriteWholeFile;

class SourceReadTest : public ::testing::Test {
 protected:
  // `count` files "f<i>.txt" holding their number, of `size` bytes as planned.
  void Plan(size_t count, uint64_t size = 10) {
    for (size_t i = 0; i < count; ++i) {
      const std::string name = "f" + std::to_string(i) + ".txt";
      ASSERT_TRUE(WriteWholeFile(m_tmp.File(name), std::to_string(i)));
      PlannedFile file;
      file.name = name;
      file.diskPath = m_tmp.File(name);
      file.origin = name;
      file.size = size;
      m_plan.files.push_back(file);
    }
  }

  ScopedTmpdir m_tmp;
  SourcePlan m_plan;
};

TEST_F(SourceReadTest, ResultsComeInPlanOrderWithWhatTheBookStores) {
  Plan(500);
  size_t next = 0;
  ReadOptions options;
  options.store = true;
  std::string error;
  EXPECT_TRUE(ReadSourcesInOrder(
      m_plan, options,
      [&](size_t index, ReadResult&& result, std::string*) {
        EXPECT_EQ(index, next++);
        EXPECT_EQ(result.entry.fileName, "f" + std::to_string(index) + ".txt");
        EXPECT_TRUE(result.entry.packed);
        std::string unpacked;
        EXPECT_TRUE(LzUnpack(result.stored, &unpacked));
        EXPECT_EQ(unpacked, std::to_string(index));
        return true;
      },
      &error))
      << error;
  EXPECT_EQ(next, 500u);
}

// A file bigger than the whole budget is still read when it is the next one to hand on
// (and then alone): the reading neither stalls nor holds two of them.
TEST_F(SourceReadTest, FilesBiggerThanTheBudgetAreReadOneAtATime) {
  Plan(40, kMaxBytesInFlight + 1);
  std::string error;
  size_t handed = 0;
  EXPECT_TRUE(ReadSourcesInOrder(
      m_plan, {},
      [&](size_t, ReadResult&&, std::string*) {
        ++handed;
        return true;
      },
      &error));
  EXPECT_EQ(handed, 40u);
}

TEST_F(SourceReadTest, TheFirstFailureInPlanOrderStopsTheReading) {
  Plan(300);
  m_plan.files[120].diskPath = m_tmp.File("missing");
  m_plan.files[200].diskPath = m_tmp.File("missing too");
  size_t last = 0;
  std::string error;
  EXPECT_FALSE(ReadSourcesInOrder(
      m_plan, {},
      [&](size_t index, ReadResult&&, std::string*) {
        last = index;
        return true;
      },
      &error));
  EXPECT_EQ(last, 119u);
  EXPECT_EQ(error, "f120.txt: cannot read " + m_tmp.File("missing"));

  EXPECT_FALSE(ReadSourcesInOrder(
      m_plan, {},
      [&](size_t index, ReadResult&&, std::string* failure) {
        *failure = "enough";
        return index < 10;
      },
      &error));
  EXPECT_EQ(error, "enough");
}

}  // namespace
}  // namespace quire::pack
