#include "script/executor.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "book/page_store.h"
#include "pages/variables.h"
#include "script/command_table.h"
#include "script_harness.h"

namespace quire::testing {
namespace {

const std::string kUnknown = "Syntax error in Pagora Script command.\n\nUnknown command:\n";

class ExecutorTest : public ScriptTest {};

TEST_F(ExecutorTest, UnknownAndMisspelledKeywordsAreReported) {
  ASSERT_TRUE(RunLinkCommands(context, "##FOO"));
  ASSERT_TRUE(RunLinkCommands(context, "##back"));
  ASSERT_TRUE(RunLinkCommands(context, "##{cmd}"));
  EXPECT_EQ(Messages(), (std::vector<std::string>{kUnknown + "##FOO", kUnknown + "##back",
                                                  kUnknown + "##{cmd}"}));
  for (const RecordedMessage& message : window.messages) {
    EXPECT_EQ(message.style, kMbOk | kMbIconExclamation);
  }
}

TEST_F(ExecutorTest, WrongParameterCountsNameTheCommandAsWritten) {
  ASSERT_TRUE(RunLinkCommands(context, "page.html##MESSAGEBEEP(1)"));
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Incorrect number of parameters:\n##MESSAGEBEEP(1)"}));
}

TEST_F(ExecutorTest, EveryKeywordIsRegisteredWithItsCounts) {
  struct Expected {
    const char* keyword;
    int min;
    int max;
  };
  const Expected expected[] = {
      {"IF", 1, 1},
      {"ELSE", 0, 0},
      {"GOSUB", 1, 1},
      {"SET", 2, 2},
      {"STRFIND", 3, 4},
      {"STRMID", 3, 4},
      {"STRREPLACE", 4, 4},
      {"FILECOPY", 3, 4},
      {"FILESAVEPROMPT", 5, 5},
      {"FILESAVEPROMPT2", 7, 7},
      {"INIREAD", 4, 5},
      {"INIWRITE", 4, 4},
      {"MESSAGEBOX2", 3, 3},
      {"MESSAGEBEEP", 0, 0},
      {"MOVE", 4, 4},
      {"SEARCH", 0, 2},
      {"FONT", 1, 1},
      {"EXIT", 0, 0},
  };
  for (const Expected& e : expected) {
    const CommandSpec* command = FindCommand(e.keyword);
    ASSERT_NE(command, nullptr) << e.keyword;
    EXPECT_EQ(command->minParams, e.min) << e.keyword;
    EXPECT_EQ(command->maxParams, e.max) << e.keyword;
  }
  EXPECT_EQ(FindCommand("set"), nullptr);
}

TEST_F(ExecutorTest, LinkPiecesRunInOrderUntilOneFails) {
  ASSERT_TRUE(
      RunLinkCommands(context, "page.html##SET('a','x')##SET('b','{a}y')##FOO##SET('c','z')"));
  EXPECT_EQ(Var("a"), "x");
  EXPECT_EQ(Var("b"), "xy");
  EXPECT_EQ(Var("c"), std::nullopt);
  EXPECT_EQ(Messages(), (std::vector<std::string>{kUnknown + "##FOO"}));
}

TEST_F(ExecutorTest, EndStopsALinkQuietly) {
  ASSERT_TRUE(RunLinkCommands(context, "##SET('a','1')##END##SET('b','2')"));
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), std::nullopt);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExecutorTest, BlanksAroundTheKeywordAndEmptyPiecesAreHarmless) {
  ASSERT_TRUE(RunLinkCommands(context, "##  SET ('a','1')##SET('b','2')##"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), "2");
}

TEST_F(ExecutorTest, SplitsLinksBeforeEveryFurtherMarker) {
  EXPECT_EQ(SplitLinkCommands("page.html##HOME##SET('a','b')"),
            (std::vector<std::string>{"##HOME", "##SET('a','b')"}));
  EXPECT_EQ(SplitLinkCommands("##SET('a','x##y')"),
            (std::vector<std::string>{"##SET('a','x", "##y')"}));
  EXPECT_TRUE(SplitLinkCommands("page.html#top").empty());
}

TEST_F(ExecutorTest, LinksWithoutMarkersAreNotHandled) {
  EXPECT_FALSE(RunLinkCommands(context, "page.html"));
  EXPECT_FALSE(RunScriptLink(context, "page.html#top"));
  EXPECT_FALSE(RunScriptLink(context, "page.html#@"));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExecutorTest, ABangLinkWithoutANameReportsTheFolderItCannotOpen) {
  // The path is the book folder with nothing after it: handled, and the open fails.
  EXPECT_TRUE(RunScriptLink(context, "page.html#!"));
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Error opening file " + context.store.BookFolder()}));
}

TEST_F(ExecutorTest, AtLinksRunAScriptAnywhereAfterExpandingThePath) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("tools.pgs"), "SET('ran','yes')\nFOO"));
  std::string message;
  ASSERT_TRUE(DefineVariable(context.book, "dir", tmp.Path(), &message)) << message;
  ASSERT_TRUE(RunScriptLink(context, "index.html#@{dir}/tools.pgs"));
  EXPECT_EQ(Var("ran"), "yes");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Pagora Script error in line 2 of " + tmp.Path() +
                                                  "/tools.pgs.\n\n" + kUnknown + "FOO"}));
}

TEST_F(ExecutorTest, BangLinksRunABookScriptByItsName) {
  const std::string folder = context.store.BookFolder();
  ASSERT_TRUE(WriteWholeFile(folder + "intro.pgs", "SET('ran','book')\nSTRLEN"));
  ASSERT_TRUE(RunScriptLink(context, "index.html#!intro.pgs"));
  EXPECT_EQ(Var("ran"), "book");
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Pagora Script error in line 2 of intro.pgs.\n\nIncorrect number of "
                            "parameters:\nSTRLEN"}));
}

// A book that keeps folders names a script by its path below the book folder, from a page
// in any folder; messages call it by that path.
TEST_F(ExecutorTest, BangLinksNameScriptsInTheBooksFolders) {
  const std::string folder = context.store.BookFolder();
  ASSERT_EQ(mkdir((folder + "scripts").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((folder + "scripts/setup").c_str(), 0700), 0);
  ASSERT_TRUE(WriteWholeFile(folder + "scripts/setup/first run.pgs", "SET('ran','deep')\nSTRLEN"));
  ASSERT_TRUE(RunScriptLink(context, "guide/deep/page.html#!scripts/setup/first run.pgs"));
  EXPECT_EQ(Var("ran"), "deep");
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Pagora Script error in line 2 of scripts/setup/first run.pgs.\n\n"
                            "Incorrect number of parameters:\nSTRLEN"}));
}

TEST_F(ExecutorTest, AtWinsOverBang) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("at.pgs"), "SET('which','at')"));
  ASSERT_TRUE(RunScriptLink(context, "#!nothing.pgs#@" + tmp.File("at.pgs")));
  EXPECT_EQ(Var("which"), "at");
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExecutorTest, ExitEndsTheRunAndLeavesTheClosedViewAlone) {
  window.TakeCalls();
  ASSERT_TRUE(RunLinkCommands(context, "##SET('a','1')##EXIT##SET('b','2')"));
  EXPECT_EQ(window.TakeCalls(), (std::vector<std::string>{"SetInCommand:1", "SetInCommand:0",
                                                          "SetInCommand:1", "CloseWindow"}));
  EXPECT_EQ(Var("b"), std::nullopt);
  EXPECT_TRUE(window.messages.empty());

  // In a script, the lines after EXIT do not run either.
  window.hasView = true;
  window.hasFrame = true;
  RunScriptText("EXIT\nSET('c','3')");
  EXPECT_EQ(Var("c"), std::nullopt);
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExecutorTest, BookCommandsRunLinksScriptsOrNothing) {
  EXPECT_TRUE(RunBookCommand(context, ""));
  EXPECT_TRUE(RunBookCommand(context, "   "));
  EXPECT_TRUE(RunBookCommand(context, "  ##SET('a','1')  "));
  EXPECT_EQ(Var("a"), "1");
  ASSERT_TRUE(WriteWholeFile(tmp.File("start.pgs"), "SET('b','2')"));
  EXPECT_TRUE(RunBookCommand(context, "#@" + tmp.File("start.pgs")));
  EXPECT_EQ(Var("b"), "2");
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExecutorTest, BookCommandsStartOtherTextAsAProgram) {
  EXPECT_FALSE(RunBookCommand(context, tmp.File("no-such-program") + " --flag"));
  EXPECT_EQ(window.messages.size(), 1u);  // the launcher reports the failure itself

  window.messages.clear();
  EXPECT_TRUE(RunBookCommand(context, "true"));
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace quire::testing
