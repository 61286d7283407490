#include "launch/bare_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::ReadWholeFile;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

TEST(BareReaderTest, OnlyAProgramWithNothingAppendedIsTheBareReader) {
  ScopedTmpdir tmp;
  const std::string program = ReadWholeFile("/proc/self/exe").value_or("");
  ASSERT_FALSE(program.empty());
  ASSERT_TRUE(WriteWholeFile(tmp.File("reader"), program));
  EXPECT_TRUE(IsBareReader(tmp.File("reader")));
  // A book, or what is left of one whose trailer was cut off: the damaged-book message
  // is its answer, not this one.
  ASSERT_TRUE(WriteWholeFile(tmp.File("book"), program + "payload and trailer"));
  EXPECT_FALSE(IsBareReader(tmp.File("book")));
  ASSERT_TRUE(WriteWholeFile(tmp.File("cut"), program + "p"));
  EXPECT_FALSE(IsBareReader(tmp.File("cut")));
  ASSERT_TRUE(WriteWholeFile(tmp.File("text"), "#!/bin/sh\necho hello\n"));
  EXPECT_FALSE(IsBareReader(tmp.File("text")));
  EXPECT_FALSE(IsBareReader(tmp.File("missing")));
}

TEST(BareReaderTest, SaysWhatItIsAndHowABookIsMade) {
  const std::string version = std::string("quire ") + QUIRE_VERSION + "\n";
  const struct {
    std::vector<std::string> args;
    bool toStandardOutput;
    int exitCode;
    std::string begins;
  } cases[] = {
      {{"--version"}, true, 0, version + "This is the Quire reader without a book."},
      {{"--help"}, true, 0, "Usage: quire [--version | --help]\nThis is the Quire reader"},
      {{"-h"}, true, 0, "Usage: quire [--version | --help]\n"},
      {{}, false, 1, "quire: no book to show.\nThis is the Quire reader without a book."},
      {{"book.html"}, false, 1, "quire: no book to show.\n"},
      {{"--version", "--help"}, false, 1, "quire: no book to show.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args[0]);
    const BareReaderAnswer answer = AnswerWithoutBook(c.args);
    EXPECT_EQ(answer.toStandardOutput, c.toStandardOutput);
    EXPECT_EQ(answer.exitCode, c.exitCode);
    EXPECT_EQ(answer.text.substr(0, c.begins.size()), c.begins);
    EXPECT_NE(answer.text.find("quire-pack build FOLDER -o BOOK"), std::string::npos);
    EXPECT_EQ(answer.text.find("corrupted"), std::string::npos);
    EXPECT_EQ(answer.text.back(), '\n');
  }
}

}  // namespace
}  // namespace quire
