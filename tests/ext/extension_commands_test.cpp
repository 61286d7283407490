#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ext/extension_scripting.h"
#include "ext/extension_state.h"
#include "extension_fixture.h"

namespace quire::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

using ExtensionCommandTest = ExtensionTest;

TEST_F(ExtensionCommandTest, NoLibraryTakesNoCommand) {
  LoadAll();
  EXPECT_EQ(Run("##TOOLS.ECHO", "TOOLS.ECHO"), "not taken");
}

TEST_F(ExtensionCommandTest, KeyMatchesInUpperCaseAtTheStartOnly) {
  Install(kFullLibrary, "__pxa__full.so");  // key "Tools"
  LoadAll();
  struct Case {
    const char* keyword;
    bool taken;
  } cases[] = {
      {"TOOLS.ECHO", true}, {"Tools.ECHO", false}, {"tools.echo", false},  {"TOOLS.", false},
      {"TOOLS", false},     {"TOOLSECHO", false},  {"XTOOLS.ECHO", false}, {"TOOLS.X.Y", true},
  };
  for (const Case& c : cases) {
    const std::string result = Run(std::string("##") + c.keyword, c.keyword);
    EXPECT_EQ(result != "not taken", c.taken) << c.keyword << " -> " << result;
  }
}

TEST_F(ExtensionCommandTest, CommandNameIsTheRestOfTheKeywordAsWritten) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  ForgetCalls();
  // The library knows ECHO but not echo, and says so with result code 1.
  EXPECT_EQ(Run("##TOOLS.echo('x')", "TOOLS.echo", {Text("x")}),
            "taken:1:Syntax error in Pagora Script command.\n\nUnknown command:\n"
            "##TOOLS.echo('x')");
  EXPECT_THAT(CallsOf("full"), ElementsAre(StartsWith("ScriptCommand name=echo count=1 ")));
}

TEST_F(ExtensionCommandTest, ArgumentsArriveAsTypedRecordsInAZeroedResult) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  window.nativeHandle = nullptr;
  ForgetCalls();

  ExtensionArgument none;  // a parameter of no usable kind
  EXPECT_EQ(Run("##TOOLS.ECHO('abc', -7, x, '')", "TOOLS.ECHO",
                {Text("abc"), Number(-7), none, Text("")}),
            "taken:0:(untouched)");

  // The library sets its int to 12345; that changes nothing.
  EXPECT_THAT(CallsOf("full"),
              ElementsAre("ScriptCommand name=ECHO count=4 flag=0 code=0 s'abc' n-7 - s'' - - - - "
                          "- -"));
}

TEST_F(ExtensionCommandTest, TenArgumentsReachTheLibraryElevenDoNot) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  ForgetCalls();

  std::vector<ExtensionArgument> ten;
  for (int i = 1; i <= 10; ++i)
    ten.push_back(Number(i));
  EXPECT_EQ(Run("##TOOLS.ECHO(1,...,10)", "TOOLS.ECHO", ten), "taken:0:(untouched)");
  EXPECT_THAT(CallsOf("full"),
              ElementsAre("ScriptCommand name=ECHO count=10 flag=0 code=0 n1 n2 n3 n4 n5 n6 n7 "
                          "n8 n9 n10"));

  ForgetCalls();
  std::vector<ExtensionArgument> eleven = ten;
  eleven.push_back(Text("one too many"));
  EXPECT_EQ(Run("##TOOLS.ECHO(1,...,11)", "TOOLS.ECHO", eleven),
            "taken:1:Too many parameters:\n##TOOLS.ECHO(1,...,11)");
  EXPECT_THAT(RawCalls(), IsEmpty());
}

TEST_F(ExtensionCommandTest, EachResultCodeHasItsMessage) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  const std::string command = "##TOOLS.RESULT(code, 'Disk on fire')";
  struct Case {
    int code;
    std::string expected;
  } cases[] = {
      {0, "taken:0:(untouched)"},
      {1, "taken:1:Syntax error in Pagora Script command.\n\nUnknown command:\n" + command},
      {2, "taken:1:Incorrect number of parameters:\n" + command},
      {3, "taken:1:Incorrect parameter type:\n" + command},
      {32767, "taken:1:Disk on fire"},
      {4, "taken:1:Error 4:\n" + command},
      {32766, "taken:1:Error 32766:\n" + command},
      {-1, "taken:1:Error -1:\n" + command},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(command, "TOOLS.RESULT", {Number(c.code), Text("Disk on fire")}), c.expected)
        << c.code;
  }
}

TEST_F(ExtensionCommandTest, OwnMessageIsTheResultTextUnchanged) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  EXPECT_EQ(Run("##TOOLS.RESULT(32767, '')", "TOOLS.RESULT", {Number(32767), Text("")}),
            "taken:1:");
  EXPECT_EQ(Run("##TOOLS.RESULT", "TOOLS.RESULT", {Number(32767), Text("Line 1\n\nLine 3")}),
            "taken:1:Line 1\n\nLine 3");
}

TEST_F(ExtensionCommandTest, MessageThatFillsTheWholeRecordIsCutAtItsLastByte) {
  Install(kUnrulyLibrary, "__pxa__unruly.so");
  LoadAll();
  // Its key filled the whole key buffer: the key is the first 255 bytes.
  const std::string keyword = std::string(PGX_KEY_SIZE - 1, 'K') + ".ANY";
  EXPECT_EQ(Run("##cmd", keyword), "taken:1:" + std::string(PGX_MESSAGE_SIZE - 1, 'm'));
  EXPECT_EQ(Run("##cmd", std::string(PGX_KEY_SIZE, 'K') + ".ANY"), "not taken");
}

TEST_F(ExtensionCommandTest, LibraryWithoutCommandEntryPointFailsEveryCommandOfItsKey) {
  Install(kNoCommandLibrary, "__pxa__nocommand.so");  // key "nocmd"
  LoadAll();
  EXPECT_EQ(Run("##NOCMD.ANYTHING(1)", "NOCMD.ANYTHING", {Number(1)}),
            "taken:1:DLL missing PGX_ScriptCommand entry point.");
  EXPECT_EQ(Run("##NOCMD.", "NOCMD."), "not taken");
}

TEST_F(ExtensionCommandTest, EmptyKeyTakesEveryUnknownCommandThatBeginsWithAPoint) {
  Install(kEmptyKeyLibrary, "__pxa__emptykey.so");  // exports no PGX_ScriptGetKey
  LoadAll();
  ForgetCalls();
  EXPECT_EQ(Run("##.ECHO", ".ECHO"), "taken:0:(untouched)");
  EXPECT_EQ(Run("##ECHO", "ECHO"), "not taken");
  EXPECT_EQ(Run("##.", "."), "not taken");
  EXPECT_THAT(CallsOf("emptykey"), ElementsAre(StartsWith("ScriptCommand name=ECHO ")));
}

TEST_F(ExtensionCommandTest, EarlierLibraryWithTheSameKeyTakesEveryCommand) {
  Install(kTwinALibrary, "__pxa__twin_a.so");
  Install(kTwinBLibrary, "__pxa__twin_b.so");
  LoadAll();
  ASSERT_EQ(ExtensionsOf(context).Scripting()->UpperKeys(),
            (std::vector<std::string>{"TWIN", "TWIN"}));
  ForgetCalls();

  EXPECT_EQ(Run("##TWIN.ECHO", "TWIN.ECHO"), "taken:0:(untouched)");
  EXPECT_EQ(Run("##TWIN.NOPE", "TWIN.NOPE"),
            "taken:1:Syntax error in Pagora Script command.\n\nUnknown command:\n##TWIN.NOPE");
  // "TWIN." stops at the first library; the second is not asked either.
  EXPECT_EQ(Run("##TWIN.", "TWIN."), "not taken");
  EXPECT_THAT(CallsOf("twin_b"), IsEmpty());
  EXPECT_EQ(CallsOf("twin_a").size(), 2u);
}

TEST_F(ExtensionCommandTest, KeysAreKeptInBothCasesInRegistrationOrder) {
  Install(kFullLibrary, "__pxa__a_full.so");
  Install(kEmptyKeyLibrary, "__pxa__b_emptykey.so");
  Install(kNoCommandLibrary, "__pxa__c_nocommand.so");
  Install(kNoRuntimeLibrary, "__pxa__d_noruntime.so");  // rejected: no key
  LoadAll();
  const CExtensionScripting& scripting = *ExtensionsOf(context).Scripting();
  EXPECT_EQ(scripting.UpperKeys(), (std::vector<std::string>{"TOOLS", "", "NOCMD"}));
  EXPECT_EQ(scripting.LowerKeys(), (std::vector<std::string>{"tools", "", "nocmd"}));
  ASSERT_EQ(scripting.Caches().size(), 3u);
  EXPECT_EQ(scripting.Caches()[1].path, Folder() + "__pxa__b_emptykey.so");
}

TEST(ExtensionResultTextTest, CodesAndTheirTexts) {
  EXPECT_EQ(ExtensionResultText(0, "ignored", "##X"), "");
  EXPECT_EQ(ExtensionResultText(32767, "mine", "##X"), "mine");
  EXPECT_EQ(ExtensionResultText(-2147483647 - 1, "", "##X"), "Error -2147483648:\n##X");
}

}  // namespace
}  // namespace quire::testing
