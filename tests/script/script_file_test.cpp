#include "script/script_file.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "script_harness.h"

namespace quire::testing {
namespace {

// "text@line" for every executable line.
std::vector<std::string> Lines(const ScriptFile& script) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < script.LineCount(); ++i) {
    lines.push_back(script.LineText(i) + "@" + std::to_string(script.LineNumber(i)));
  }
  return lines;
}

ScriptFile FromText(const std::string& text) {
  return ScriptFile::FromBytes(text, "/x/s.pgs", "s.pgs");
}

TEST(ScriptFileTest, WindowsAndUnixLineEndsGiveTheSameLines) {
  const ScriptFile unix = FromText("HOME\nBACK(1)\n  SET('a','b')  ");
  const ScriptFile windows = FromText("HOME\r\nBACK(1)\r\n  SET('a','b')  \r\n");
  const std::vector<std::string> expected = {"HOME@1", "BACK(1)@2", "SET('a','b')@3"};
  EXPECT_EQ(Lines(unix), expected);
  EXPECT_EQ(Lines(windows), expected);
}

TEST(ScriptFileTest, DropsControlBytesButKeepsHighBytes) {
  const ScriptFile script = FromText("SET('a',\t'x\x01y')\nSET('b','\xC3\xA9')\n");
  EXPECT_EQ(Lines(script), (std::vector<std::string>{"SET('a','xy')@1", "SET('b','\xC3\xA9')@2"}));
}

TEST(ScriptFileTest, AByteOrderMarkAtTheStartIsSkipped) {
  const std::string mark = "\xEF\xBB\xBF";
  const struct {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {mark + "MESSAGEBOX('hi')\r\nHOME", {"MESSAGEBOX('hi')@1", "HOME@2"}},
      {mark + ":top\nHOME", {"HOME@2"}},
      {mark + "REMARK\nHOME", {"HOME@2"}},
      {mark, {}},
      // Only at the very start: anywhere else its bytes are text like any others.
      {"HOME\n" + mark + "BACK", {"HOME@1", mark + "BACK@2"}},
      {" " + mark + "HOME", {mark + "HOME@1"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Lines(FromText(c.bytes)), c.lines) << c.bytes;
}

TEST(ScriptFileTest, SkipsCommentsBlanksAndRemLines) {
  const ScriptFile script = FromText(
      "   ; note\n"
      "\n"
      "REMARK\n"
      "REM\n"
      "REMOVE(1)\n"
      ":\n"
      "rem lower case is a command\n"
      "   \t \n"
      "RE\n");
  EXPECT_EQ(Lines(script), (std::vector<std::string>{"rem lower case is a command@7", "RE@9"}));
}

TEST(ScriptFileTest, LabelsPointAtTheNextCommandAndTheLaterOneWins) {
  ScriptFile script = FromText(":start\nA\n:twice\nB\nC\n:twice\nD\n:end\n");
  int line = 0;
  ASSERT_TRUE(script.FindLabel("twice"));
  const std::string* text = script.NextLine(&line);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, "D");
  EXPECT_EQ(line, 7);

  ASSERT_TRUE(script.FindLabel("start"));
  EXPECT_EQ(script.NextIndex(), 0);
  ASSERT_TRUE(script.FindLabel("end"));
  EXPECT_EQ(script.NextLine(&line), nullptr);  // past the last command: the script ends
  EXPECT_FALSE(script.FindLabel("START"));
  EXPECT_FALSE(script.FindLabel("missing"));
}

TEST(ScriptFileTest, InvalidLabelsFailTheWholeLoad) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {"A\n:2go\n", "Invalid Label :2go in line 2 of s.pgs."},
      {"; c\n\n: go\n", "Invalid Label : go in line 3 of s.pgs."},
      {":a-b", "Invalid Label :a-b in line 1 of s.pgs."},
  };
  for (const Case& c : cases) {
    const ScriptFile script = FromText(c.text);
    EXPECT_TRUE(script.LoadFailed());
    EXPECT_EQ(script.LoadError(), c.error);
    EXPECT_EQ(script.LineCount(), 0u);
  }
  EXPECT_FALSE(FromText(":go2\nA").LoadFailed());
}

class ScriptRunTest : public ScriptTest {};

TEST_F(ScriptRunTest, AnEmptyFileRunsNothingWithoutAMessage) {
  RunScriptText("");
  EXPECT_TRUE(window.messages.empty());
  RunScriptText("; only a comment\n\n");
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ScriptRunTest, AFileSavedWithAByteOrderMarkRunsFromItsFirstLine) {
  RunScriptText("\xEF\xBB\xBFSET('a','1')\r\nSET('b','2')\r\n");
  EXPECT_TRUE(window.messages.empty()) << window.messages[0].text;
  EXPECT_EQ(Var("a"), "1");
  EXPECT_EQ(Var("b"), "2");
}

TEST_F(ScriptRunTest, AMissingFileShowsTheOpenError) {
  const std::string path = tmp.File("missing.pgs");
  RunScript(context, path, "missing.pgs");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Error opening file " + path);
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
}

TEST_F(ScriptRunTest, AFolderOrPipeIsNotAScript) {
  const std::string folder = tmp.File("folder.pgs");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  RunScript(context, folder, "folder.pgs");
  // Nobody writes to this pipe: reading it must not wait.
  const std::string pipe = tmp.File("pipe.pgs");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  RunScript(context, pipe, "pipe.pgs");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Error opening file " + folder,
                                                  "Error opening file " + pipe}));
}

TEST_F(ScriptRunTest, ABadLabelRunsNoCommand) {
  RunScriptText("SET('a','1')\n:9\n", "bad.pgs");
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid Label :9 in line 2 of bad.pgs."}));
  EXPECT_EQ(Var("a"), std::nullopt);
}

TEST_F(ScriptRunTest, ErrorsNameTheLineInTheFile) {
  RunScriptText("; header\n\nREM about\n   \nFOO(1)\nSET('a','1')\n", "five.pgs");
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Pagora Script error in line 5 of five.pgs.\n\nSyntax error in Pagora "
                            "Script command.\n\nUnknown command:\nFOO(1)"}));
  EXPECT_EQ(window.messages[0].style, kMbOk | kMbIconExclamation);
  EXPECT_EQ(Var("a"), std::nullopt);
}

TEST_F(ScriptRunTest, ScriptsAreReadAgainOnEveryRun) {
  RunScriptText("SET('a','first')");
  EXPECT_EQ(Var("a"), "first");
  RunScriptText("SET('a','second')");
  EXPECT_EQ(Var("a"), "second");
}

TEST_F(ScriptRunTest, BackslashPathsReachTheFile) {
  ASSERT_TRUE(WriteWholeFile(tmp.File("win.pgs"), "SET('a','ok')"));
  std::string windowsPath = tmp.File("win.pgs");
  for (char& c : windowsPath) {
    if (c == '/')
      c = '\\';
  }
  RunScript(context, windowsPath, "win.pgs");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Var("a"), "ok");
}

}  // namespace
}  // namespace quire::testing
