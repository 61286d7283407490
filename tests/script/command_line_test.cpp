#include "script/command_line.h"
#include "pages/reader_context.h"

#include <gtest/gtest.h>

#include "pages/variables.h"
#include "script_harness.h"

namespace quire::testing {
namespace {

const std::string kSyntax = "Syntax error in Pagora Script command.\n";

// "number:14", "text:[a, b]", "none", "error:<message>".
std::string DescribeValue(const ScriptValue& value) {
  switch (value.kind) {
    case kValueNumber:
      return "number:" + std::to_string(value.numberValue);
    case kValueText:
      return "text:[" + value.textValue + "]";
    case kValueError:
      return "error:" + value.errorMessage;
    default:
      return "none";
  }
}

// The keyword text and each typed parameter, "|"-separated; or the split error text.
std::string SplitAndType(ReaderContext& context, const std::string& commandText) {
  SplitCommand split;
  std::string errorText;
  if (!SplitCommandLine(commandText, &split, &errorText))
    return errorText;
  std::string described = split.keywordText;
  for (const std::string& parameter : split.parameters) {
    described += "|" + DescribeValue(ParseParameter(context, parameter));
  }
  return described;
}

class CommandLineTest : public ScriptTest {
 protected:
  CommandLineTest() {
    std::string message;
    EXPECT_TRUE(DefineVariable(context.book, "who", "hello", &message)) << message;
    EXPECT_TRUE(DefineVariable(context.book, "product", "2*3", &message)) << message;
    EXPECT_TRUE(DefineVariable(context.book, "odd", "a,b'c(", &message)) << message;
  }
};

TEST_F(CommandLineTest, SplitsAndTypesParameters) {
  struct Case {
    std::string command;
    std::string expected;
  };
  const Case cases[] = {
      // Brackets.
      {"##BACK", "##BACK"},
      {"##BACK()", "##BACK"},
      {"CMD( )", "CMD"},
      {"SET('x','1') ", kSyntax + "Missing right bracket:\nSET('x','1') "},
      {"SET('x','1'", kSyntax + "Missing right bracket:\nSET('x','1'"},
      {"C(2*(3+4))", "C|number:14"},
      // Quotes: commas and blanks inside belong to the text; the text is expanded.
      {"MESSAGEBOX('a, b')", "MESSAGEBOX|text:[a, b]"},
      {"C('a,b' , 'c d')", "C|text:[a,b]|text:[c d]"},
      {"C('2*(3+4)')", "C|text:[2*(3+4)]"},
      {"C('')", "C|text:[]"},
      {"C(' abc ')", "C|text:[abc]"},
      {"C('   ')", "C|text:[   ]"},
      {"C('a'b'c')", "C|text:[a'b'c]"},
      {"C('it''s)", kSyntax + "Missing end quote:\nC('it''s"},
      {"C('{who}')", "C|text:[hello]"},
      {"C('{odd}')", "C|text:[a,b'c(]"},
      // The literal form keeps everything as it stands.
      {"C(~'{who}')", "C|text:[{who}]"},
      {"C(~' a ')", "C|text:[ a ]"},
      {"C(~'')", "C|text:[]"},
      // Numbers: blanks outside quotes are dropped; references are expanded first.
      {"C(1 + 2)", "C|number:3"},
      {"C(\t5)", "C|number:5"},
      {"C({product})", "C|number:6"},
      {"C('{product}')", "C|text:[2*3]"},
      {"MESSAGEBOX(a b)", "MESSAGEBOX|error:Unable to parse numerical expression."},
      {"SET(x,'1')", "SET|error:Unable to parse numerical expression.|text:[1]"},
      {"C(\"x\")", "C|error:Unable to parse numerical expression."},
      {"C(1/0)", "C|error:Divide by zero error."},
      // Empty parameters: only a last empty one is dropped.
      {"CMD(1,)", "CMD|number:1"},
      {"CMD(,1)", "CMD|none|number:1"},
      // Ten parameters are accepted; an eleventh is refused even when empty.
      {"C(1,2,3,4,5,6,7,8,9,10)",
       "C|number:1|number:2|number:3|number:4|number:5|number:6|number:7|number:8|number:9|"
       "number:10"},
      {"C(1,2,3,4,5,6,7,8,9,10,11)", kSyntax + "Too many parameters:\nC(1,2,3,4,5,6,7,8,9,10,11"},
      {"C(1,2,3,4,5,6,7,8,9,10,)", kSyntax + "Too many parameters:\nC(1,2,3,4,5,6,7,8,9,10,"},
      {"C('a,b,c,d,e,f,g,h,i,j,k,l')", "C|text:[a,b,c,d,e,f,g,h,i,j,k,l]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitAndType(context, c.command), c.expected) << "command: " << c.command;
  }
}

TEST_F(CommandLineTest, ScriptValueReadings) {
  const ScriptValue number = ScriptValue::Number(-42);
  EXPECT_EQ(number.AsText(), "-42");
  EXPECT_EQ(number.AsNumber(), -42);
  EXPECT_TRUE(number.AsTruth());
  EXPECT_FALSE(ScriptValue::Number(0).AsTruth());

  const ScriptValue text = ScriptValue::Text("7");
  EXPECT_EQ(text.AsText(), "7");
  EXPECT_EQ(text.AsNumber(), 0);
  EXPECT_FALSE(text.AsTruth());

  const ScriptValue error = ScriptValue::Error("bad");
  EXPECT_EQ(error.AsText(), "");
  EXPECT_EQ(error.AsNumber(), 0);
  EXPECT_FALSE(error.AsTruth());
  EXPECT_EQ(ParseParameter(context, "   ").kind, kValueNone);
}

TEST_F(CommandLineTest, AnEmptyParameterBeforeTheLastFailsTheCommand) {
  const CommandOutcome outcome = Command("SET(,'1')");
  EXPECT_EQ(outcome.result, kCommandFailed);
  EXPECT_EQ(outcome.errorText, "Internal parameter parsing error.");
}

TEST_F(CommandLineTest, TheFirstFailingParameterNamesTheError) {
  const CommandOutcome outcome = Command("SET('a',5\\0,1/0)");
  EXPECT_EQ(outcome.result, kCommandFailed);
  EXPECT_EQ(outcome.errorText, "Modulo by zero error.");
  EXPECT_EQ(Var("a"), std::nullopt);
}

TEST_F(CommandLineTest, RefusesCommandTextsOf4096BytesOrMore) {
  // 4095 bytes is the longest command that fits the working buffer.
  const std::string fits = "SET('a','" + std::string(4095 - 11, 'x') + "')";
  ASSERT_EQ(fits.size(), 4095u);
  EXPECT_EQ(Command(fits).result, kCommandContinue);
  EXPECT_EQ(Var("a"), std::string(4095 - 11, 'x'));

  for (size_t size : {size_t{4096}, size_t{100000}}) {
    const std::string tooLong = "SET('b','" + std::string(size - 11, 'y') + "')";
    const CommandOutcome outcome = Command(tooLong);
    EXPECT_EQ(outcome.result, kCommandFailed);
    EXPECT_TRUE(outcome.errorText.starts_with(kSyntax + "Command too long")) << outcome.errorText;
    EXPECT_LT(outcome.errorText.size(), 300u);
    EXPECT_EQ(Var("b"), std::nullopt);
  }
}

TEST_F(CommandLineTest, SetsTheInCommandFlagOnlyWhileTheCommandRuns) {
  window.TakeCalls();
  EXPECT_EQ(Command("SET('a','1')").result, kCommandContinue);
  EXPECT_EQ(window.TakeCalls(), (std::vector<std::string>{"SetInCommand:1", "SetInCommand:0"}));
  EXPECT_FALSE(window.inCommand);

  // A command that fails before it executes never touches the flag.
  EXPECT_EQ(Command("SET('a',").result, kCommandFailed);
  EXPECT_TRUE(window.TakeCalls().empty());
}

TEST_F(CommandLineTest, LeavesAViewThatIsGoneAlone) {
  window.hasView = false;
  window.TakeCalls();
  EXPECT_EQ(Command("SET('a','1')").result, kCommandContinue);
  EXPECT_TRUE(window.TakeCalls().empty());
}

}  // namespace
}  // namespace quire::testing
