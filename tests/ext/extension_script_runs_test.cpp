// Extension libraries as the script interpreter meets them: every command link and script
// run is bracketed by script init and exit, also when a command in it fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "extension_fixture.h"
#include "pages/reader_context.h"
#include "script/script_links.h"

namespace quire::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class ExtensionScriptRunTest : public ExtensionTest {
 protected:
  ExtensionScriptRunTest() {
    Install(kFullLibrary, "__pxa__full.so");
    Install(kNoInterfaceLibrary, "__pxa__nointerface.so");
    LoadAll();
    ForgetCalls();
  }
  // The script-interface calls of the complete library, in order.
  std::vector<std::string> FullLibraryCalls() const {
    std::vector<std::string> calls;
    for (const std::string& call : CallsOf("full"))
      if (call.rfind("IsInterface", 0) != 0)
        calls.push_back(call.substr(0, call.find(" count=")));
    return calls;
  }
};

TEST_F(ExtensionScriptRunTest, FailingCommandStillEndsWithScriptExit) {
  RunLinkCommands(context, "index.html##TOOLS.ECHO('{tools.name}')##TOOLS.RESULT(7)##TOOLS.ECHO");

  EXPECT_THAT(FullLibraryCalls(),
              ElementsAre("ScriptInit", "ScriptGetVarName first=1 buffer=zero",
                          StartsWith("ScriptGetVarValueLen"), StartsWith("ScriptGetVarValue"),
                          StartsWith("ScriptGetVarName"), StartsWith("ScriptGetVarValueLen"),
                          StartsWith("ScriptGetVarValue"), StartsWith("ScriptGetVarName"),
                          StartsWith("ScriptGetVarValueLen"), StartsWith("ScriptGetVarName"),
                          StartsWith("ScriptGetVarValueLen"), StartsWith("ScriptGetVarValue"),
                          StartsWith("ScriptGetVarName"), StartsWith("ScriptGetVarValueLen"),
                          StartsWith("ScriptGetVarValue"), StartsWith("ScriptGetVarName"),
                          "ScriptCommand name=ECHO", "ScriptCommand name=RESULT", "ScriptExit"));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Error 7:\n##TOOLS.RESULT(7)");
  // The library offering no script interface is asked, and nothing more.
  EXPECT_THAT(CallsOf("nointerface"),
              ElementsAre("IsInterface args=4,0,1", "IsInterface args=4,0,1"));
}

TEST_F(ExtensionScriptRunTest, ExpandedTextArgumentReachesTheLibrary) {
  RunLinkCommands(context, "##TOOLS.ECHO('<{tools.name}>', 3)");
  EXPECT_THAT(CallsOf("full"),
              ::testing::Contains(StartsWith("ScriptCommand name=ECHO count=2 flag=0 code=0 "
                                             "s'<Quire full>' n3 -")));
}

TEST_F(ExtensionScriptRunTest, EachRunGetsExactlyOnePair) {
  RunLinkCommands(context, "##TOOLS.ECHO");
  RunLinkCommands(context, "##TOOLS.ECHO##TOOLS.ECHO");
  EXPECT_EQ(FullLibraryCalls(),
            (std::vector<std::string>{"ScriptInit", "ScriptCommand name=ECHO", "ScriptExit",
                                      "ScriptInit", "ScriptCommand name=ECHO",
                                      "ScriptCommand name=ECHO", "ScriptExit"}));
}

TEST_F(ExtensionScriptRunTest, ScriptFileRunsAreBracketedButAMissingFileIsNot) {
  const std::string script = m_tmp.File("run.pgs");
  ASSERT_TRUE(WriteWholeFile(script, "TOOLS.ECHO\nTOOLS.RESULT(2)\nTOOLS.ECHO\n"));
  RunScriptLink(context, "x#@" + script);
  EXPECT_EQ(FullLibraryCalls(),
            (std::vector<std::string>{"ScriptInit", "ScriptCommand name=ECHO",
                                      "ScriptCommand name=RESULT", "ScriptExit"}));
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Pagora Script error in line 2 of " + script +
                                         ".\n\nIncorrect number of parameters:\nTOOLS.RESULT(2)");

  ForgetCalls();
  RunScriptLink(context, "x#@" + m_tmp.File("missing.pgs"));
  EXPECT_THAT(RawCalls(), IsEmpty());
}

}  // namespace
}  // namespace quire::testing
