#include <sys/stat.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/about_page.h"
#include "pages/reader_context.h"
#include "pages/variables.h"
#include "platform/launcher.h"
#include "script_harness.h"
#include "session/frame_commands.h"
#include "support/scoped_env.h"

namespace quire::testing {
namespace {

const std::string kRuntime = "Runtime error in Pagora Script command:\n\n";

// A book with generated contents and about pages.
EBookSettings GeneratedPagesSettings() {
  EBookSettings settings = DefaultSettings();
  settings.contentsMode = 0;
  settings.aboutMode = 0;
  return settings;
}

EBookFile BookPage(const std::string& name, bool searchable, bool inContents) {
  EBookFile file;
  file.fileName = name;
  file.title = name;
  file.searchable = searchable;
  file.inContents = inContents;
  return file;
}

class WindowCommandsTest : public ScriptTest {
 protected:
  WindowCommandsTest() : m_config("XDG_CONFIG_HOME", tmp.File("config")) {
    LoadBook(GeneratedPagesSettings(), {BookPage("index.html", true, true)});
  }
  ~WindowCommandsTest() override { OverrideOpener({}); }

  void LoadBook(EBookSettings settings, std::vector<EBookFile> files) {
    settings.fileCount = static_cast<int32_t>(files.size());
    context.book.SetRecords(std::move(settings), std::move(files), {});
  }

  // The window calls a successful command made, without the in-command flag around it
  // and without the status bar and cursor feedback of the page generators.
  std::vector<std::string> CallsOf(const std::string& command) {
    window.TakeCalls();
    CommandOutcome outcome = Command(command);
    EXPECT_EQ(outcome.result, 0) << command << ": " << outcome.errorText;
    std::vector<std::string> calls;
    for (const std::string& call : window.TakeCalls()) {
      bool feedback = false;
      for (const char* prefix : {"SetInCommand:", "SetStatusText:", "BeginWaitCursor",
                                 "EndWaitCursor", "ShowProgress:", "HideProgress"}) {
        feedback = feedback || call.rfind(prefix, 0) == 0;
      }
      if (!feedback) {
        calls.push_back(call);
      }
    }
    return calls;
  }

  std::string Folder() { return context.store.BookFolder(); }

 private:
  ScopedEnv m_config;
};

TEST_F(WindowCommandsTest, ThinCommandsCallTheirWindowOperation) {
  struct {
    const char* command;
    const char* call;
  } const cases[] = {
      {"MAXIMIZE", "ShowMaximized"},
      {"MINIMIZE", "ShowMinimized"},
      {"RESTORE", "ShowNormal"},
      {"MOVE(10,20,300,200)", "PlaceWindow:10,20,300,200"},
      {"MOVE(-5, 0, 1, 2)", "PlaceWindow:-5,0,1,2"},
      {"MESSAGEBEEP", "Beep"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallsOf(c.command), std::vector<std::string>{c.call}) << c.command;
  }
  EXPECT_TRUE(window.messages.empty());
}

// The verbs that do what a command of the menus does run that command by its name, the
// way its menu item, button and keys run it.
TEST_F(WindowCommandsTest, MenuVerbsRunTheReadersCommandByName) {
  struct {
    const char* command;
    const char* name;
  } const cases[] = {
      {"BACK", "back"},
      {"BACK()", "back"},
      {"FORWARD", "forward"},
      {"HOME", "home"},
      {"REFRESH", "refresh"},
      {"STOP", "stop"},
      {"PRINT", "print"},
      {"PRINTSETUP", "print-setup"},
      {"COPY", "copy"},
      {"SELECTALL", "select-all"},
      {"FONT(1)", "font-smallest"},
      {"FONT(2)", "font-smaller"},
      {"FONT(3)", "font-medium"},
      {"FONT(4)", "font-larger"},
      {"FONT(2+3)", "font-largest"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallsOf(c.command), std::vector<std::string>{"RunCommand:" + std::string(c.name)})
        << c.command;
    EXPECT_NE(FindFrameCommand(c.name), nullptr) << c.command << " runs no command of the reader";
  }
  // FONT(n) runs the Fonts menu's n-th size from the smallest.
  for (int size = 1; size <= 5; ++size) {
    const std::vector<std::string> calls = CallsOf("FONT(" + std::to_string(size) + ")");
    ASSERT_EQ(calls.size(), 1u);
    const FrameCommand* command = FindFrameCommand(calls[0].substr(calls[0].find(':') + 1));
    ASSERT_NE(command, nullptr) << size;
    EXPECT_EQ(FontLevelOfCommand(command->id), size - 1) << size;
  }
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(WindowCommandsTest, MoveGivesTheWindowItsRectangle) {
  CallsOf("MOVE(10,20,300,200)");
  const WindowRect placed = window.FrameRect();
  EXPECT_EQ(placed.x + placed.width, 310);
  EXPECT_EQ(placed.y + placed.height, 220);
}

TEST_F(WindowCommandsTest, WrongCountsAndNonNumbersFail) {
  struct {
    const char* command;
    std::string error;
  } const cases[] = {
      {"BACK(1)", "Incorrect number of parameters:\nBACK(1)"},
      {"EXIT(0)", "Incorrect number of parameters:\nEXIT(0)"},
      {"FONT", "Incorrect number of parameters:\nFONT"},
      {"FONT(1,2)", "Incorrect number of parameters:\nFONT(1,2)"},
      {"MOVE(1,2,3)", "Incorrect number of parameters:\nMOVE(1,2,3)"},
      {"NAVIGATE", "Incorrect number of parameters:\nNAVIGATE"},
      {"DISPLAY('a','b')", "Incorrect number of parameters:\nDISPLAY('a','b')"},
      {"SEARCH('a',1,2)", "Incorrect number of parameters:\nSEARCH('a',1,2)"},
      {"RUN", "Incorrect number of parameters:\nRUN"},
      {"OPEN('a','b')", "Incorrect number of parameters:\nOPEN('a','b')"},
      {"FONT('3')", "Numerical expression required as parameter 1:\nFONT('3')"},
      {"MOVE('a',2,3,4)", "Numerical expression required as parameter 1:\nMOVE('a',2,3,4)"},
      {"MOVE(1,'2','3',4)", "Numerical expression required as parameter 2:\nMOVE(1,'2','3',4)"},
      {"MOVE(1,2,3,'x')", "Numerical expression required as parameter 4:\nMOVE(1,2,3,'x')"},
      {"SEARCH('w','1')", "Numerical expression required as parameter 2:\nSEARCH('w','1')"},
      {"FONT(0)", kRuntime + "FONT - invalid parameter 0"},
      {"FONT(6)", kRuntime + "FONT - invalid parameter 6"},
      {"FONT(-1)", kRuntime + "FONT - invalid parameter -1"},
      {"FONT(-2147483647-1)", kRuntime + "FONT - invalid parameter -2147483648"},
  };
  for (const auto& c : cases) {
    window.TakeCalls();
    CommandOutcome outcome = Command(c.command);
    EXPECT_EQ(outcome.result, 1) << c.command;
    EXPECT_EQ(outcome.errorText, c.error) << c.command;
    for (const std::string& call : window.TakeCalls()) {
      EXPECT_EQ(call.rfind("SetInCommand:", 0), 0u) << c.command << " still did " << call;
    }
  }
}

TEST_F(WindowCommandsTest, NavigateKeepsOutsideAddressesAndPrefixesBookPages) {
  const std::string folder = Folder();
  struct {
    const char* command;
    std::string target;
  } const cases[] = {
      {"NAVIGATE('HTTP:page')", "HTTP:page"},
      {"NAVIGATE('https://example.org/x')", "https://example.org/x"},
      {"NAVIGATE('news:group')", "news:group"},
      {"NAVIGATE('Mail:someone')", "Mail:someone"},
      {"NAVIGATE('ftp:host')", "ftp:host"},
      {"NAVIGATE('mailto:someone')", folder + "mailto:someone"},
      {"NAVIGATE('ftp')", folder + "ftp"},
      {"NAVIGATE('chapter2.html')", folder + "chapter2.html"},
      {"NAVIGATE('part\\two.html#end')", folder + "part/two.html#end"},
      {"NAVIGATE(12)", folder + "12"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CallsOf(c.command), std::vector<std::string>{"Navigate:" + c.target}) << c.command;
  }
}

TEST_F(WindowCommandsTest, NavigationHappensWithTheInCommandFlagSet) {
  window.TakeCalls();
  ASSERT_EQ(Command("NAVIGATE('a.html')").result, 0);
  EXPECT_EQ(window.TakeCalls(),
            (std::vector<std::string>{"SetInCommand:1", "Navigate:" + Folder() + "a.html",
                                      "SetInCommand:0"}));
}

TEST_F(WindowCommandsTest, DisplayShowsTheGivenHtmlAsAPage) {
  const std::string page = Folder() + "__display.html";
  EXPECT_EQ(CallsOf("DISPLAY('<b>Hello, {title}</b>')"),
            std::vector<std::string>{"Navigate:" + page});
  EXPECT_EQ(ReadWholeFile(page), "<b>Hello, " + context.book.Title() + "</b>");
}

TEST_F(WindowCommandsTest, AboutIsShownWhateverTheAboutSetting) {
  EBookSettings settings = GeneratedPagesSettings();
  settings.aboutMode = 1;
  LoadBook(settings, {BookPage("index.html", false, false)});
  const std::string page = Folder() + "__about.html";
  EXPECT_EQ(CallsOf("ABOUT"), std::vector<std::string>{"Navigate:" + page});
  EXPECT_TRUE(PathExists(page));
}

TEST_F(WindowCommandsTest, TocShowsTheContentsWhenAvailable) {
  EXPECT_EQ(CallsOf("TOC"), std::vector<std::string>{"Navigate:" + Folder() + "__jump.html"});

  EBookSettings ownPage = GeneratedPagesSettings();
  ownPage.contentsMode = 2;
  ownPage.contentsPageName = "contents.html";
  LoadBook(ownPage, {BookPage("index.html", false, true)});
  EXPECT_EQ(CallsOf("TOC"), std::vector<std::string>{"Navigate:" + Folder() + "contents.html"});
}

TEST_F(WindowCommandsTest, TocFailsWhenContentsAreSwitchedOffOrEmpty) {
  EBookSettings off = GeneratedPagesSettings();
  off.contentsMode = 1;
  LoadBook(off, {BookPage("index.html", true, true)});
  EXPECT_EQ(Command("TOC").errorText, kRuntime + "TOC - but Table of Contents disabled.");

  LoadBook(GeneratedPagesSettings(), {BookPage("index.html", true, false)});
  CommandOutcome outcome = Command("TOC");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.errorText, kRuntime + "TOC - but Table of Contents disabled.");
}

TEST_F(WindowCommandsTest, SearchWithWordsRunsEvenInAnUnsearchableBook) {
  LoadBook(GeneratedPagesSettings(), {BookPage("index.html", false, false)});
  const std::string page = Folder() + "__search.html";
  EXPECT_EQ(CallsOf("SEARCH('word')"), std::vector<std::string>{"Navigate:" + page});
  EXPECT_EQ(CallsOf("SEARCH('word',1)"), std::vector<std::string>{"Navigate:" + page});
  EXPECT_TRUE(PathExists(page));

  CommandOutcome outcome = Command("SEARCH");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.errorText, kRuntime + "SEARCH - but E-Book is not searchable.");
}

TEST_F(WindowCommandsTest, SearchAloneAsksForTheWords) {
  window.searchAnswers.push_back(std::make_pair(std::string("word"), false));
  window.searchAnswers.push_back(std::nullopt);
  EXPECT_EQ(CallsOf("SEARCH"),
            (std::vector<std::string>{"SearchDialog", "Navigate:" + Folder() + "__search.html"}));
  EXPECT_EQ(CallsOf("SEARCH()"), std::vector<std::string>{"SearchDialog"})
      << "a cancelled dialog leaves the page alone";
}

TEST_F(WindowCommandsTest, ExitClosesTheWindowAndEndsTheRunWithoutTouchingTheView) {
  window.TakeCalls();
  CommandOutcome outcome = Command("EXIT");
  EXPECT_EQ(outcome.result, 2);
  EXPECT_EQ(outcome.errorText, "");
  EXPECT_EQ(window.TakeCalls(), (std::vector<std::string>{"SetInCommand:1", "CloseWindow"}));
}

TEST_F(WindowCommandsTest, ExitInAScriptSkipsTheRestSilently) {
  RunScriptText("MESSAGEBOX('before')\nEXIT\nMESSAGEBOX('after')\n");
  EXPECT_EQ(Messages(), std::vector<std::string>{"before"});
}

TEST_F(WindowCommandsTest, RunOfAMissingProgramShowsFileNotFoundAndFails) {
  CommandOutcome outcome = Command("RUN('quire-no-such-program-4711 --now')");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.errorText, "");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            "Can't start quire-no-such-program-4711 --now, as the file was not found.");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);

  window.messages.clear();
  RunScriptText("RUNMAXIMIZED('quire-no-such-program-4711')\nMESSAGEBOX('after')\n");
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Can't start quire-no-such-program-4711, as the file was not found.",
                            "Pagora Script error in line 1 of test.pgs."}));
}

TEST_F(WindowCommandsTest, RunStartsPrograms) {
  const std::string script = tmp.File("tool.sh");
  ASSERT_TRUE(WriteWholeFile(script, "#!/bin/sh\necho \"$1\" >> \"$2\"\n"));
  ASSERT_EQ(chmod(script.c_str(), 0700), 0);
  const std::string marker = tmp.File("marker");
  for (const char* keyword : {"RUN", "RUNMINIMIZED", "RUNMAXIMIZED"}) {
    const std::string command =
        std::string(keyword) + "(~'" + script + " " + keyword + " " + marker + "')";
    EXPECT_EQ(Command(command).result, 0) << command;
  }
  std::string lines;
  for (int i = 0; i < 500 && lines.size() < 29; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    lines = ReadWholeFile(marker).value_or("");
  }
  EXPECT_NE(lines.find("RUN\n"), std::string::npos);
  EXPECT_NE(lines.find("RUNMINIMIZED\n"), std::string::npos);
  EXPECT_NE(lines.find("RUNMAXIMIZED\n"), std::string::npos);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(WindowCommandsTest, OpenOfASchemeWithoutHandlerShowsTheReason) {
  ScopedEnv path("PATH", tmp.Path());  // no opener of any kind can be found
  CommandOutcome outcome = Command("OPEN('nohandler:thing')");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.errorText, "");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text,
            "The web page could not be opened.\n\nTo use this option, you must :-\n"
            "1. Have a connection to the Internet.\n"
            "2. Have a web browser (for example Microsoft Internet Explorer) installed on your "
            "system.\n"
            "3. The web browser set to pick up file associations (this normally occurs as part of "
            "the installation process for the web browser).\n\nThe reason was:-\n"
            "There is no application associated with the given filename extension.");
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
}

TEST_F(WindowCommandsTest, OpenHandsTheDocumentToTheOpener) {
  const std::string marker = tmp.File("marker");
  OverrideOpener({"sh", "-c", "printf '%s' \"$1\" > \"" + marker + "\"", "opener"});
  EXPECT_EQ(Command("OPEN('https://example.org/')").result, 0);
  EXPECT_EQ(ReadWholeFile(marker), "https://example.org/");
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace quire::testing
