#include "script/launch_operations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "pages/reader_context.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"

namespace quire {
namespace {

using testing::FakeWindow;
using testing::ReadWholeFile;
using testing::ScopedEnv;
using testing::ScopedTmpdir;
using testing::WriteWholeFile;

constexpr int kWarningStyle = kMbOk | kMbIconExclamation;

const std::string kOpenFailure =
    "The web page could not be opened.\n\nTo use this option, you must :-\n"
    "1. Have a connection to the Internet.\n"
    "2. Have a web browser (for example Microsoft Internet Explorer) installed on your "
    "system.\n"
    "3. The web browser set to pick up file associations (this normally occurs as part of the "
    "installation process for the web browser).";

// Waits for a file that a started program writes; nullopt when it does not come.
std::optional<std::string> AwaitFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::optional<std::string> text = ReadWholeFile(path);
    if (text && !text->empty()) {
      return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::nullopt;
}

class LaunchOperationsTest : public ::testing::Test {
 protected:
  ~LaunchOperationsTest() override { OverrideOpener({}); }

  // A shell script in the test folder, executable.
  std::string Script(const std::string& name, const std::string& body) {
    std::string path = m_tmp.File(name);
    EXPECT_TRUE(WriteWholeFile(path, "#!/bin/sh\n" + body + "\n"));
    EXPECT_EQ(chmod(path.c_str(), 0700), 0);
    return path;
  }

  ScopedTmpdir m_tmp;
  FakeWindow m_window;
};

TEST_F(LaunchOperationsTest, RunStartsTheProgramWithShellQuotedArguments) {
  const std::string marker = m_tmp.File("marker");
  const std::string script =
      Script("echo args.sh", "printf '%s|' \"$@\" > \"" + marker + ".part\"; mv \"" + marker +
                                 ".part\" \"" + marker + "\"");
  EXPECT_TRUE(RunProgram(m_window, "'" + script + "' one 'two words' \"three\"", kShowMinimized));
  EXPECT_EQ(AwaitFile(marker), "one|two words|three|");
  EXPECT_TRUE(m_window.messages.empty());
}

TEST_F(LaunchOperationsTest, RunReadsBackslashesAsPathSeparators) {
  const std::string marker = m_tmp.File("marker");
  Script("tool.sh", "echo \"$1\" > \"" + marker + "\"");
  std::string windowsStyle = m_tmp.Path() + "\\tool.sh sub\\file.txt";
  EXPECT_TRUE(RunProgram(m_window, windowsStyle));
  EXPECT_EQ(AwaitFile(marker), "sub/file.txt\n");
  EXPECT_TRUE(m_window.messages.empty());
}

// A program a book ships comes out of the book executable, so RUN starts it by its path
// as the book meant; so does one in a folder of the book.
TEST_F(LaunchOperationsTest, RunStartsTheProgramsABookShips) {
  ReaderContext context;
  const std::string marker = m_tmp.File("marker");
  testing::TestBook book;
  book.Input().features.recorded = true;  // a book of ours: it may keep folders
  book.AddPage("index.html", "<p>start</p>");
  book.AddFile("tool.sh", "#!/bin/sh\necho top >> '" + marker + "'\n");
  book.AddFile("bin/tool.sh", "#!/bin/sh\necho below >> '" + marker + "'\n");
  book.WriteFor(context);
  ASSERT_EQ(testing::LoadAsTheReaderDoes(context).reason, LoadResult::Reason::kNone);
  EXPECT_TRUE(RunProgram(m_window, book.Folder() + "tool.sh"));
  EXPECT_EQ(AwaitFile(marker), "top\n");
  EXPECT_TRUE(RunProgram(m_window, book.Folder() + "bin/tool.sh"));
  for (int i = 0; i < 500 && ReadWholeFile(marker) != "top\nbelow\n"; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ReadWholeFile(marker), "top\nbelow\n");
  EXPECT_TRUE(m_window.messages.empty());
}

TEST_F(LaunchOperationsTest, RunFindsProgramsOnThePath) {
  const std::string marker = m_tmp.File("marker");
  Script("quire-test-tool", "echo found > \"" + marker + "\"");
  ScopedEnv path("PATH", "/nonexistent-folder:" + m_tmp.Path());
  EXPECT_TRUE(RunProgram(m_window, "quire-test-tool"));
  EXPECT_EQ(AwaitFile(marker), "found\n");
}

TEST_F(LaunchOperationsTest, RunFailuresShowTheirMessages) {
  const std::string plain = m_tmp.File("plain.txt");
  ASSERT_TRUE(WriteWholeFile(plain, "just text"));
  const std::string garbage = m_tmp.File("garbage");
  ASSERT_TRUE(WriteWholeFile(garbage, std::string("\x7f"
                                                  "ELF\x01\x02 not really",
                                                  16)));
  ASSERT_EQ(chmod(garbage.c_str(), 0700), 0);
  const std::string missing = m_tmp.File("missing-program");

  struct {
    std::string line;
    std::string message;
  } const cases[] = {
      {"quire-no-such-program-4711 --flag",
       "Can't start quire-no-such-program-4711 --flag, as the file was not found."},
      {missing, "Can't start " + missing + ", as the file was not found."},
      {m_tmp.File("no-folder/prog") + " x",
       "Can't start " + m_tmp.File("no-folder/prog") + " x, as the path was not found."},
      {garbage, "Can't start " + garbage + ", the program appears to be corrupted or invalid."},
      {plain, "Unable to start " + plain},
      {m_tmp.Path(), "Unable to start " + m_tmp.Path()},
      {"prog 'open quote", "Unable to start prog 'open quote"},
      {"", "Can't start , as the file was not found."},
  };
  for (const auto& c : cases) {
    m_window.messages.clear();
    EXPECT_FALSE(RunProgram(m_window, c.line)) << c.line;
    ASSERT_EQ(m_window.messages.size(), 1u) << c.line;
    EXPECT_EQ(m_window.messages[0].text, c.message);
    EXPECT_EQ(m_window.messages[0].style, kWarningStyle);
  }
}

TEST_F(LaunchOperationsTest, FailureTextsForEveryResult) {
  EXPECT_EQ(RunFailureMessage("x", 0), "Can't start x, out of memory or resources.");
  EXPECT_EQ(RunFailureMessage("x", 5), "Unable to start x");
  EXPECT_EQ(RunFailureMessage("x", 31), "Unable to start x");
  EXPECT_EQ(OpenFailureMessage(1), kOpenFailure);
  EXPECT_EQ(OpenFailureMessage(33), kOpenFailure);
  EXPECT_EQ(OpenFailureMessage(26),
            kOpenFailure + "\n\nThe reason was:-\nA sharing violation occurred.");
  EXPECT_EQ(
      OpenFailureMessage(32),
      kOpenFailure + "\n\nThe reason was:-\nThe specified dynamic-link library was not found.");
}

TEST_F(LaunchOperationsTest, OpenReportsWhatTheOpenerAnswers) {
  struct {
    int exitCode;
    bool opened;
    const char* reason;  // null: no reason part
  } const cases[] = {
      {0, true, nullptr},
      {1, false, nullptr},
      {2, false, "The specified file was not found."},
      {3, false, "There is no application associated with the given filename extension."},
      {4, false, "There is no application associated with the given filename extension."},
      {9, false, nullptr},
  };
  for (const auto& c : cases) {
    m_window.messages.clear();
    OverrideOpener({"sh", "-c", "exit " + std::to_string(c.exitCode), "opener"});
    EXPECT_EQ(OpenDocument(m_window, "nohandler:thing"), c.opened) << c.exitCode;
    if (c.opened) {
      EXPECT_TRUE(m_window.messages.empty());
      continue;
    }
    ASSERT_EQ(m_window.messages.size(), 1u) << c.exitCode;
    std::string expected = kOpenFailure;
    if (c.reason != nullptr) {
      expected += std::string("\n\nThe reason was:-\n") + c.reason;
    }
    EXPECT_EQ(m_window.messages[0].text, expected) << c.exitCode;
    EXPECT_EQ(m_window.messages[0].style, kWarningStyle);
  }
}

TEST_F(LaunchOperationsTest, OpenWithoutAnyOpenerHasNoApplication) {
  ScopedEnv path("PATH", m_tmp.Path());  // neither xdg-open nor gio can be found
  EXPECT_FALSE(OpenDocument(m_window, "nohandler:thing"));
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text,
            kOpenFailure +
                "\n\nThe reason was:-\nThere is no application associated with the given "
                "filename extension.");
}

TEST_F(LaunchOperationsTest, OpenUsesXdgOpenAndFallsBackToGio) {
  const std::string marker = m_tmp.File("marker");
  ScopedEnv path("PATH", m_tmp.Path());
  const std::string noApplication =
      kOpenFailure +
      "\n\nThe reason was:-\nThere is no application associated with the given filename "
      "extension.";

  // Only gio: any failure of "gio open" means nothing could open the address.
  Script("gio", "printf '%s ' \"$@\" > \"" + marker + "\"; exit 2");
  EXPECT_FALSE(OpenDocument(m_window, "nohandler:thing"));
  EXPECT_EQ(ReadWholeFile(marker), "open nohandler:thing ");

  // xdg-open present: it is preferred, and its status 2 means a missing file.
  Script("xdg-open", "printf '%s ' \"$@\" > \"" + marker + "\"; exit 2");
  EXPECT_FALSE(OpenDocument(m_window, "nohandler:thing"));
  EXPECT_EQ(ReadWholeFile(marker), "nohandler:thing ");

  ASSERT_EQ(m_window.messages.size(), 2u);
  EXPECT_EQ(m_window.messages[0].text, noApplication);
  EXPECT_EQ(m_window.messages[1].text,
            kOpenFailure + "\n\nThe reason was:-\nThe specified file was not found.");
}

TEST_F(LaunchOperationsTest, OpenHandsTheOpenerOneSafeArgument) {
  const std::string marker = m_tmp.File("marker");
  OverrideOpener({"sh", "-c", "printf '%s' \"$1\" > \"" + marker + "\"", "opener"});
  ASSERT_TRUE(WriteWholeFile(m_tmp.File("-manual"), "x"));
  std::string previousFolder(4096, '\0');
  ASSERT_NE(getcwd(previousFolder.data(), previousFolder.size()), nullptr);
  ASSERT_EQ(chdir(m_tmp.Path().c_str()), 0);
  const bool relativeOpened = OpenDocument(m_window, "-manual");
  ASSERT_EQ(chdir(previousFolder.c_str()), 0);
  EXPECT_TRUE(relativeOpened);
  EXPECT_EQ(ReadWholeFile(marker), "./-manual");

  EXPECT_TRUE(OpenDocument(m_window, "https://example.org/a b?c=d"));
  EXPECT_EQ(ReadWholeFile(marker), "https://example.org/a b?c=d");

  std::string windowsForm = m_tmp.File("-manual");
  for (char& c : windowsForm) {
    c = c == '/' ? '\\' : c;
  }
  EXPECT_TRUE(OpenDocument(m_window, windowsForm));
  EXPECT_EQ(ReadWholeFile(marker), m_tmp.File("-manual"));
  EXPECT_TRUE(m_window.messages.empty());
}

TEST_F(LaunchOperationsTest, OpenOfAMissingLocalDocumentSaysWhichPartIsMissing) {
  OverrideOpener({"sh", "-c", "exit 0", "opener"});
  EXPECT_FALSE(OpenDocument(m_window, m_tmp.File("missing.pdf")));
  EXPECT_FALSE(OpenDocument(m_window, m_tmp.File("no-folder/missing.pdf")));
  ASSERT_EQ(m_window.messages.size(), 2u);
  EXPECT_EQ(m_window.messages[0].text,
            kOpenFailure + "\n\nThe reason was:-\nThe specified file was not found.");
  EXPECT_EQ(m_window.messages[1].text,
            kOpenFailure + "\n\nThe reason was:-\nThe specified path was not found.");
}

TEST_F(LaunchOperationsTest, OutsideLinksAreHandedOverSilently) {
  const std::string marker = m_tmp.File("marker");
  OverrideOpener({"sh", "-c", "printf '%s' \"$1\" > \"" + marker + "\"; exit 4", "opener"});
  EXPECT_TRUE(OpenOutsideLink("http://example.org/"));
  EXPECT_EQ(AwaitFile(marker), "http://example.org/");
  EXPECT_TRUE(OpenOutsideLink("-not-a-link"));
  ScopedEnv path("PATH", m_tmp.Path());
  OverrideOpener({});
  EXPECT_TRUE(OpenOutsideLink("http://example.org/"));
  EXPECT_TRUE(m_window.messages.empty());
}

// The opener is waited for through the window, whose main loop keeps running meanwhile;
// the answer it brings decides the result as before.
TEST_F(LaunchOperationsTest, OpenWaitsForTheOpenerThroughTheWindow) {
  OverrideOpener({"sh", "-c", "exit 3", "opener"});
  EXPECT_FALSE(OpenDocument(m_window, "nohandler:thing"));
  EXPECT_EQ(m_window.calls, (std::vector<std::string>{"WaitForChild:5000"}));
  ASSERT_EQ(m_window.waitedChildren.size(), 1u);
  EXPECT_GT(m_window.waitedChildren[0], 0);
  ASSERT_EQ(m_window.messages.size(), 1u);
  EXPECT_EQ(m_window.messages[0].text,
            kOpenFailure +
                "\n\nThe reason was:-\nThere is no application associated with the given "
                "filename extension.");
}

// True while `pid` is a child that ended and has not been reaped.
bool IsZombie(int pid) {
  const std::optional<std::string> stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (!stat)
    return false;
  const std::size_t close = stat->rfind(')');
  return close != std::string::npos && stat->compare(close, 3, ") Z") == 0;
}

TEST_F(LaunchOperationsTest, OpenerStillBusyAtTheDeadlineCountsAsOpenedAndIsReapedLater) {
  m_window.childStillRunning = true;
  OverrideOpener({"sh", "-c", "exit 4", "opener"});
  EXPECT_TRUE(OpenDocument(m_window, "nohandler:thing"));
  EXPECT_TRUE(m_window.messages.empty());
  ASSERT_EQ(m_window.waitedChildren.size(), 1u);
  const int pid = m_window.waitedChildren[0];
  bool ended = false;
  for (int i = 0; i < 500 && !ended; ++i) {
    ended = IsZombie(pid);
    if (!ended)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(ended) << "the abandoned opener never ended";
  // The next launch reaps it.
  EXPECT_TRUE(OpenOutsideLink("-not-a-link"));
  EXPECT_FALSE(IsZombie(pid));
  EXPECT_NE(access(("/proc/" + std::to_string(pid)).c_str(), F_OK), 0);
}

}  // namespace
}  // namespace quire
