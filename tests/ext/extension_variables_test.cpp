#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "extension_fixture.h"

namespace quire::testing {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;

using ExtensionVariableTest = ExtensionTest;

TEST_F(ExtensionVariableTest, BraceAndBracketFormsAreReplacedEachInItsOwnMode) {
  Install(kFullLibrary, "__pxa__full.so");  // key "Tools"
  LoadAll();
  struct Case {
    const char* text;
    bool bracketForm;
    const char* expected;
  } cases[] = {
      {"Hello {tools.name}!", false, "Hello Quire full!"},
      {"Hello [{tools.name}]!", true, "Hello Quire full!"},
      {"{tools.name}{tools.name}", false, "Quire fullQuire full"},
      {"[{tools.name}]", false, "[Quire full]"},
      {"{tools.name}", true, "{tools.name}"},
      {"[={tools.name}]", true, "[={tools.name}]"},
      // Only the lower-case key names the library's variables.
      {"{Tools.name} {TOOLS.name}", false, "{Tools.name} {TOOLS.name}"},
      // Names match exactly; unknown ones stay as written.
      {"{tools.Name} {tools.x} {tools.name }", false, "{tools.Name} {tools.x} {tools.name }"},
      {"{tools.empty}|", false, "|"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Expand(c.text, c.bracketForm), c.expected) << c.text;
}

TEST_F(ExtensionVariableTest, LibraryIsAskedOnlyWhenTheTextRefersToItsKey) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  ForgetCalls();
  for (const char* text : {"{other.name}", "tools.name", "{Tools.name}", "{tools}", "plain"})
    EXPECT_EQ(Expand(text), text);
  EXPECT_THAT(RawCalls(), IsEmpty());

  EXPECT_EQ(Expand("{tools.nothing}"), "{tools.nothing}");
  EXPECT_THAT(CallsOf("full"), Contains("ScriptGetVarName first=1 buffer=zero"));
}

TEST_F(ExtensionVariableTest, ValuesAreReadAfreshAtEveryExpansion) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  EXPECT_EQ(Expand("{tools.count}"), "1");
  EXPECT_EQ(Expand("[{tools.count}]", true), "2");
  EXPECT_EQ(Expand("{tools.count} {tools.count}"), "3 3");
}

TEST_F(ExtensionVariableTest, BuffersArriveZeroFilledAndEmptyValuesAreNotAskedFor) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  ForgetCalls();
  Expand("{tools.empty}");
  const std::vector<std::string> calls = CallsOf("full");
  EXPECT_THAT(calls, Contains("ScriptGetVarName first=1 buffer=zero"));
  EXPECT_THAT(calls, Contains("ScriptGetVarName first=0 buffer=zero"));
  EXPECT_THAT(calls, Not(Contains(::testing::HasSubstr("buffer=dirty"))));
  // Every length starts at 0, and the empty variable's value is never fetched.
  EXPECT_THAT(calls, Contains("ScriptGetVarValueLen name=empty length=0"));
  EXPECT_THAT(calls, Not(Contains("ScriptGetVarValue name=empty")));
  EXPECT_THAT(calls, Contains("ScriptGetVarValue name=name"));
}

TEST_F(ExtensionVariableTest, ValueThatRefersToItselfIsInsertedOnce) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  EXPECT_EQ(Expand("a {tools.self} b {tools.self}"), "a {tools.self} b {tools.self}");
  EXPECT_EQ(Expand("{tools.nested}"), "<{title}>");
}

TEST_F(ExtensionVariableTest, SameKeyAsksBothLibrariesAndTheEarlierOneWins) {
  Install(kTwinALibrary, "__pxa__twin_a.so");
  Install(kTwinBLibrary, "__pxa__twin_b.so");
  LoadAll();
  EXPECT_EQ(Expand("{twin.who} / {twin.only_b}"), "from a / only in b");
  // Once the earlier library has replaced every reference, the later one is not asked.
  ForgetCalls();
  EXPECT_EQ(Expand("{twin.who}"), "from a");
  EXPECT_THAT(CallsOf("twin_b"), IsEmpty());
}

TEST_F(ExtensionVariableTest, EmptyKeyAnswersReferencesThatBeginWithAPoint) {
  Install(kEmptyKeyLibrary, "__pxa__emptykey.so");
  LoadAll();
  EXPECT_EQ(Expand("{.name}"), "Quire emptykey");
  EXPECT_EQ(Expand("[{.name}]", true), "Quire emptykey");
  EXPECT_EQ(Expand("{name}"), "{name}");
}

TEST_F(ExtensionVariableTest, UnrulyLibraryCannotOverrunBuffersOrHangTheReader) {
  Install(kUnrulyLibrary, "__pxa__unruly.so");
  LoadAll();
  // The key and the first variable name filled their whole buffers without an end:
  // both are cut at 255 bytes.
  const std::string key(PGX_KEY_SIZE - 1, 'k');
  const std::string longName(PGX_VARNAME_SIZE - 1, 'n');
  auto ref = [&](const std::string& name) { return "{" + key + "." + name + "}"; };

  // A length it never set reads as 0; negative and absurd lengths give empty values
  // without an allocation; a value without its own terminator ends at the reader's.
  EXPECT_EQ(Expand(ref(longName) + "|" + ref("negative") + "|" + ref("huge") + "|" + ref("short") +
                   "|" + ref(longName + "n")),
            "|||abc|" + ref(longName + "n"));
  // The longest value accepted is PGX_MAX_VALUE_LENGTH bytes; one byte more gives an
  // empty value.
  const std::string largest = Expand(ref("largest") + "|" + ref("toolarge") + "|");
  EXPECT_EQ(largest.size(), PGX_MAX_VALUE_LENGTH + 2u);
  EXPECT_EQ(largest.substr(PGX_MAX_VALUE_LENGTH - 1), "v||");
  // It never says "no more": the reader stops asking after a bounded number of names
  // (the last "calls" it saw was call 65532 of 65536).
  EXPECT_EQ(Expand(ref("calls")), "65532");
}

}  // namespace
}  // namespace quire::testing
