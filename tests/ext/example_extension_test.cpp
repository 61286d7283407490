// The example library of examples/extension, driven through the script interpreter and the
// variable expansion as a book would drive it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "book/cebook.h"
#include "extension_fixture.h"
#include "pages/reader_context.h"
#include "pages/variables.h"
#include "script/script_links.h"

namespace quire::testing {
namespace {

#ifdef QUIRE_EXAMPLE_EXT

using ::testing::IsEmpty;
using ::testing::MatchesRegex;

class ExampleExtensionTest : public ExtensionTest {
 protected:
  ExampleExtensionTest() {
    Install(QUIRE_EXAMPLE_EXT, "__pxa__example.so");
    LoadAll();
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : window.messages)
      texts.push_back(message.text);
    return texts;
  }
};

TEST_F(ExampleExtensionTest, GreetStoresAVariableThatPagesCanShow) {
  RunLinkCommands(context,
                  "page.html##EXAMPLE.GREET('greeting', 'Ada')##EXAMPLE.ADD(40)##EXAMPLE.ADD(2)");
  EXPECT_THAT(MessageTexts(), IsEmpty());
  EXPECT_EQ(ExpandVariables(context, "{example.greeting} {example.total}", false),
            "Hello, Ada! 42");
  EXPECT_EQ(ExpandVariables(context, "[={esbn}][{example.greeting}]", true), "Hello, Ada!");
}

TEST_F(ExampleExtensionTest, ClockAndRunCounterAreReadAtEachExpansion) {
  EXPECT_THAT(ExpandVariables(context, "{example.time}", false),
              MatchesRegex("[0-9][0-9]:[0-9][0-9]:[0-9][0-9]"));
  EXPECT_THAT(ExpandVariables(context, "{example.date}", false),
              MatchesRegex("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]"));
  EXPECT_EQ(ExpandVariables(context, "{example.runs}", false), "0");
  RunLinkCommands(context, "##EXAMPLE.ADD(1)");
  RunLinkCommands(context, "##EXAMPLE.ADD(1)");
  EXPECT_EQ(ExpandVariables(context, "{example.runs}", false), "2");
}

TEST_F(ExampleExtensionTest, ItsRefusalsReachTheReadersMessageBoxes) {
  RunLinkCommands(context, "##EXAMPLE.GREET('only one')");
  RunLinkCommands(context, "##EXAMPLE.ADD('x')");
  RunLinkCommands(context, "##EXAMPLE.FAIL('The printer is on fire.')");
  RunLinkCommands(context, "##EXAMPLE.NOPE");
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{
                "Incorrect number of parameters:\n##EXAMPLE.GREET('only one')",
                "Incorrect parameter type:\n##EXAMPLE.ADD('x')", "The printer is on fire.",
                "Syntax error in Pagora Script command.\n\nUnknown command:\n##EXAMPLE.NOPE"}));
}

#endif  // QUIRE_EXAMPLE_EXT

}  // namespace
}  // namespace quire::testing
