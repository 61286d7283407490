// The sample book in examples/: it builds, loads, and every command link in it runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "pages/reader_context.h"
#include "pages/variables.h"
#include "script/script_links.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "tools/pack_runner.h"

namespace quire {
namespace {

namespace fs = std::filesystem;
using testing::FakeWindow;
using testing::ReadWholeFile;
using testing::RunPack;
using testing::RunResult;
using testing::TestBook;

constexpr char kSampleDir[] = QUIRE_SAMPLE_BOOK_DIR;

// The sample book, built by quire-pack and loaded by the reader.
class SampleBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string path = m_book.Tmp().File("sample.book");
    RunResult r = RunPack({"build", kSampleDir, "-o", path, "--reader", testing::ReaderPath()},
                          m_book.Tmp().Path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");                          // no warnings either
    m_book.Settings().esbn = "QUIRE-SAMPLE-0001";  // where the load extracts to
    m_book.WriteBytesFor(context, *ReadWholeFile(path));
    ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  }

  // The page that the last DISPLAY wrote.
  std::string DisplayPage() const { return m_book.Extracted("__display.html").value_or(""); }

  // Error boxes are the only ones with OK and the exclamation icon.
  std::vector<std::string> Errors() const {
    std::vector<std::string> errors;
    for (const auto& m : m_window.messages) {
      if (m.style == (kMbOk | kMbIconExclamation))
        errors.push_back(m.text);
    }
    return errors;
  }

  ReaderContext context;
  FakeWindow m_window{context.window};
  TestBook m_book;
};

TEST_F(SampleBookTest, LoadsWithItsPagesExpanded) {
  EXPECT_TRUE(m_window.messages.empty());
  CEBook& book = context.book;
  EXPECT_EQ(book.Title(), "The Lighthouse Almanac");
  EXPECT_EQ(book.ContentsMode(), 3);
  EXPECT_TRUE(book.ContentsAvailable());
  EXPECT_TRUE(book.AnySearchable());
  EXPECT_NE(book.StartupMessage(), "");
  EXPECT_NE(book.Trailer().splashSize, 0);
  std::string index = m_book.Extracted("index.html").value_or("");
  EXPECT_NE(index.find("<h1>The Lighthouse Almanac</h1>"), std::string::npos);
  EXPECT_NE(index.find("<em>Keep the light, whatever the weather.</em>"), std::string::npos);
  EXPECT_NE(index.find("<code>[={title}]</code>"), std::string::npos);
  EXPECT_NE(index.find("has 5 lamps"), std::string::npos);
  EXPECT_EQ(index.find("[={"), index.find("[={title}]"));
}

TEST_F(SampleBookTest, TourScriptLoopsAndCallsItsSubroutine) {
  ASSERT_TRUE(RunScriptLink(context, "index.html#!tour.txt"));
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
  std::string page = DisplayPage();
  EXPECT_NE(page.find("<li>Lamp 1 is lit first, by hand.</li>"), std::string::npos) << page;
  EXPECT_NE(page.find("<li>Lamp 5 takes its flame from lamp 4.</li>"), std::string::npos);
  EXPECT_EQ(page.find("Lamp 6"), std::string::npos);
  EXPECT_NE(page.find("The loop ran 5 times"), std::string::npos);
}

TEST_F(SampleBookTest, QuestionsShowTheAnswerOnABuiltPage) {
  std::string commands = m_book.Extracted("commands.html").value_or("");
  size_t start = commands.find("##MESSAGEBOX2(");
  ASSERT_NE(start, std::string::npos);
  std::string link = commands.substr(start, commands.find('"', start) - start);
  m_window.messageAnswers = {6};
  ASSERT_TRUE(RunLinkCommands(context, link));
  EXPECT_NE(DisplayPage().find("The lamp burns bright over the bay."), std::string::npos);
  m_window.messageAnswers = {7};
  ASSERT_TRUE(RunLinkCommands(context, link));
  EXPECT_NE(DisplayPage().find("The lamp stays dark"), std::string::npos);
  m_window.messageAnswers = {7};
  ASSERT_TRUE(RunScriptLink(context, "#@{ebook}/answer.txt"));
  EXPECT_NE(DisplayPage().find("The fog horn stays silent tonight."), std::string::npos);
  EXPECT_TRUE(Errors().empty()) << Errors()[0];
}

TEST_F(SampleBookTest, EveryCommandLinkRunsWithoutAnError) {
  std::regex href("href=\"([^\"]*#[#!@][^\"]*)\"");
  int links = 0;
  for (const auto& entry : fs::directory_iterator(kSampleDir)) {
    if (entry.path().extension() != ".html")
      continue;
    std::string html = *ReadWholeFile(entry.path());
    for (std::sregex_iterator it(html.begin(), html.end(), href), end; it != end; ++it) {
      std::string link = (*it)[1];
      if (link.find("EXAMPLE.") != std::string::npos)
        continue;  // needs the extension
      SCOPED_TRACE(entry.path().filename().string() + ": " + link);
      m_window.messages.clear();
      m_window.messageAnswers = {6};
      m_window.searchAnswers = {std::make_pair(std::string("keeper"), false)};
      EXPECT_TRUE(RunLinkCommands(context, link) || RunScriptLink(context, link));
      EXPECT_TRUE(Errors().empty()) << Errors()[0];
      ++links;
    }
  }
  EXPECT_GE(links, 15);
}

}  // namespace
}  // namespace quire
