#include <gtest/gtest.h>

#include "script_harness.h"

namespace quire::testing {
namespace {

class ControlFlowTest : public ScriptTest {
 protected:
  // Runs `lines` as a script file; the script appends to the variable 't' to show which
  // lines ran. Returns what 't' holds, or "!" followed by the message box text.
  std::string Outcome(const std::string& lines) {
    window.messages.clear();
    context.book.UserVariables().erase("t");
    RunScriptText("SET('t','')\n" + lines);
    if (!window.messages.empty())
      return "!" + window.messages.back().text;
    return Var("t").value_or("<unset>");
  }
};

// Appends `mark` to the trace.
std::string Mark(const std::string& mark) {
  return "STRCAT('t','{t}','" + mark + "')\n";
}

TEST_F(ControlFlowTest, ScriptsRunTheirBranchesLoopsAndSubroutines) {
  struct Case {
    std::string name;
    std::string script;
    std::string outcome;
  };
  const Case cases[] = {
      {"if taken", "IF(1)\n" + Mark("a") + "ENDIF\n" + Mark("b"), "ab"},
      {"if not taken", "IF(0)\n" + Mark("a") + "ENDIF\n" + Mark("b"), "b"},
      {"if 2 is taken, else skips", "IF(2)\n" + Mark("a") + "ELSE\n" + Mark("b") + "ENDIF", "a"},
      {"else branch", "IF(0)\n" + Mark("a") + "ELSE\n" + Mark("b") + "ENDIF", "b"},
      {"several else alternate",
       "IF(0)\n" + Mark("a") + "ELSE\n" + Mark("b") + "ELSE\n" + Mark("c") + "ELSE\n" + Mark("d") +
           "ENDIF",
       "bd"},
      {"ifstrequal compares texts", "IFSTREQUAL(5,'5')\n" + Mark("a") + "ENDIF", "a"},
      {"ifstrequal is case-sensitive", "IFSTREQUAL('a','A')\n" + Mark("a") + "ENDIF", ""},
      {"ifstrnotequal", "IFSTRNOTEQUAL('a','A')\n" + Mark("a") + "ENDIF", "a"},
      {"nested if in skipped block stays skipped",
       "IF(0)\nIF(1)\n" + Mark("a") + "ELSE\n" + Mark("b") + "ENDIF\nENDIF\n" + Mark("c"), "c"},
      {"skipped lines are not looked up", "IF(0)\nFOO\nENDIF\n" + Mark("a"), "a"},
      {"skipped lines still evaluate their parameters", "IF(0)\nSET('x',1/0)\nENDIF",
       "!Pagora Script error in line 3 of test.pgs.\n\nDivide by zero error."},
      {"while runs three times",
       "SET('n',0)\nWHILE({n}<3)\n" + Mark("w") + "SET('n',{n}+1)\nWEND\n" + Mark("."), "www."},
      {"while false skips its body", "WHILE(0)\n" + Mark("w") + "WEND\n" + Mark("."), "."},
      {"repeat runs at least once", "REPEAT\n" + Mark("r") + "UNTIL(1)\n" + Mark("."), "r."},
      {"repeat until counter", "SET('n',0)\nREPEAT\n" + Mark("r") + "SET('n',{n}+1)\nUNTIL({n}=2)",
       "rr"},
      {"gosub and return", "GOSUB('sub')\n" + Mark("b") + "END\n:sub\n" + Mark("s") + "RETURN",
       "sb"},
      {"nested subroutines",
       "GOSUB('one')\n" + Mark("x") + "END\n:one\n" + Mark("1") + "GOSUB('two')\n" + Mark("1") +
           "RETURN\n:two\n" + Mark("2") + "RETURN",
       "121x"},
      {"return from inside a while leaves it cleanly",
       "GOSUB('sub')\n" + Mark("b") + "WEND\n:sub\nWHILE(1)\n" + Mark("s") + "RETURN\nWEND",
       "!Pagora Script error in line 4 of test.pgs.\n\nNo matching WHILE statement."},
      {"label after the last line ends the script", "GOSUB('last')\n" + Mark("a") + ":last", ""},
      {"end stops quietly", Mark("a") + "END\n" + Mark("b"), "a"},
      {"end inside a skipped block is skipped", "IF(0)\nEND\nENDIF\n" + Mark("a"), "a"},
      {"open blocks at the end are not reported", "IF(1)\nWHILE(0)\n" + Mark("a"), ""},
      // A loop that lies in a skipped block cannot change its condition: it must not loop.
      {"true while inside skipped block does not loop",
       "IF(0)\nWHILE(1)\n" + Mark("w") + "WEND\nENDIF\n" + Mark("."), "."},
      {"false until inside skipped block does not loop",
       "IF(0)\nREPEAT\n" + Mark("r") + "UNTIL(0)\nENDIF\n" + Mark("."), "."},
      {"while inside else of taken if does not loop",
       "IF(1)\n" + Mark("i") + "ELSE\nWHILE(1)\nWEND\nENDIF\n" + Mark("."), "i."},
      // Failures name the line.
      {"endif first", "ENDIF", "!Pagora Script error in line 2 of test.pgs.\n\nStack underflow."},
      {"else first", "ELSE", "!Pagora Script error in line 2 of test.pgs.\n\nStack underflow."},
      {"return without gosub", "RETURN",
       "!Pagora Script error in line 2 of test.pgs.\n\nStack underflow."},
      {"endif meets a while", "WHILE(0)\nENDIF",
       "!Pagora Script error in line 3 of test.pgs.\n\nNo matching IF statement."},
      {"else meets a repeat", "REPEAT\nELSE",
       "!Pagora Script error in line 3 of test.pgs.\n\nNo matching IF statement."},
      {"wend without while", "WEND",
       "!Pagora Script error in line 2 of test.pgs.\n\nNo matching WHILE statement."},
      {"wend meets an if", "IF(1)\nWEND",
       "!Pagora Script error in line 3 of test.pgs.\n\nNo matching WHILE statement."},
      {"until without repeat", "UNTIL(1)",
       "!Pagora Script error in line 2 of test.pgs.\n\nNo matching REPEAT statement."},
      {"missing label", "GOSUB('nowhere')",
       "!Pagora Script error in line 2 of test.pgs.\n\nLabel nowhere not found."},
      {"labels are case-sensitive", "GOSUB('Sub')\n:sub",
       "!Pagora Script error in line 2 of test.pgs.\n\nLabel Sub not found."},
      {"if needs a number", "IF('1')",
       "!Pagora Script error in line 2 of test.pgs.\n\nNumerical expression required as "
       "parameter 1:\nIF('1')"},
      {"while needs a number", "WHILE('1')",
       "!Pagora Script error in line 2 of test.pgs.\n\nNumerical expression required as "
       "parameter 1:\nWHILE('1')"},
      {"until needs a number", "REPEAT\nUNTIL('1')",
       "!Pagora Script error in line 3 of test.pgs.\n\nNumerical expression required as "
       "parameter 1:\nUNTIL('1')"},
      {"count is checked first", "IF(1,2)",
       "!Pagora Script error in line 2 of test.pgs.\n\nIncorrect number of parameters:\nIF(1,2)"},
      // Condition and loop keywords run inside a skipped block too, checks included.
      {"skipped if still checks its count", "IF(0)\nIF(1,2)\nENDIF\nENDIF",
       "!Pagora Script error in line 3 of test.pgs.\n\nIncorrect number of parameters:\nIF(1,2)"},
      {"skipped until still needs a number", "IF(0)\nREPEAT\nUNTIL('1')\nENDIF",
       "!Pagora Script error in line 4 of test.pgs.\n\nNumerical expression required as "
       "parameter 1:\nUNTIL('1')"},
      {"return leaves the conditions of the subroutine",
       "GOSUB('sub')\n" + Mark("b") + "ENDIF\n:sub\nIF(1)\n" + Mark("s") + "RETURN\nENDIF",
       "!Pagora Script error in line 4 of test.pgs.\n\nStack underflow."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Outcome(c.script), c.outcome) << "case: " << c.name;
  }
}

TEST_F(ControlFlowTest, TheStackHoldsAThousandEntries) {
  std::string accepted;
  for (int i = 0; i < 999; ++i)
    accepted += "IF(1)\n";  // plus the one below: 1000
  EXPECT_EQ(Outcome(accepted + "IFSTREQUAL('a','a')\n" + Mark("deep")), "deep");

  std::string overflowing;
  for (int i = 0; i < 1000; ++i)
    overflowing += "IF(1)\n";
  EXPECT_EQ(Outcome(overflowing + "IF(1)\n" + Mark("x")),
            "!Pagora Script error in line 1002 of test.pgs.\n\nStack overflow.");
  EXPECT_EQ(Outcome(overflowing + "WHILE(1)"),
            "!Pagora Script error in line 1002 of test.pgs.\n\nStack overflow.");
  EXPECT_EQ(Outcome(overflowing + "REPEAT"),
            "!Pagora Script error in line 1002 of test.pgs.\n\nStack overflow.");
  EXPECT_EQ(Outcome(overflowing + "GOSUB('x')\n:x"),
            "!Pagora Script error in line 1002 of test.pgs.\n\nStack overflow.");
}

TEST_F(ControlFlowTest, RecursionIsBoundedByTheStack) {
  EXPECT_EQ(Outcome(":again\nGOSUB('again')"),
            "!Pagora Script error in line 3 of test.pgs.\n\nStack overflow.");
}

TEST_F(ControlFlowTest, ConditionsSpanThePiecesOfALink) {
  ASSERT_TRUE(RunLinkCommands(context,
                              "##SET('t','')##IF(0)##STRCAT('t','{t}','a')##ELSE"
                              "##STRCAT('t','{t}','b')##ENDIF"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(Var("t"), "b");
}

TEST_F(ControlFlowTest, LoopsAndSubroutinesNeedAScriptFile) {
  for (const std::string keyword :
       {"WHILE(1)", "WEND", "REPEAT", "UNTIL(1)", "GOSUB('x')", "RETURN"}) {
    const std::string name = keyword.substr(0, keyword.find('('));
    const CommandOutcome outcome = Command("##" + keyword);
    EXPECT_EQ(outcome.result, kCommandFailed) << keyword;
    EXPECT_EQ(outcome.errorText, name + " can only be used in Pagora Script files.");
  }
  // The script check comes before the number check.
  EXPECT_EQ(Command("##WHILE('x')").errorText, "WHILE can only be used in Pagora Script files.");
  // Inside a skipped condition of a link the loop keywords still run, and fail.
  ASSERT_TRUE(RunLinkCommands(context, "##IF(0)##WHILE(1)##WEND##ENDIF"));
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"WHILE can only be used in Pagora Script files."}));
  // END works anywhere.
  EXPECT_EQ(Command("##END").result, kCommandStop);
}

}  // namespace
}  // namespace quire::testing
