#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "ext/host_function.h"
#include "extension_fixture.h"
#include "pages/reader_context.h"

namespace quire::testing {
namespace {

TEST(HostFunctionTest, AnswersNullWhateverItIsAsked) {
  EXPECT_EQ(PGX_HostGetFunc(0), nullptr);
  EXPECT_EQ(PGX_HostGetFunc(3, "AnyService"), nullptr);
  EXPECT_EQ(PGX_HostGetFunc(-1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1.5, "x", nullptr), nullptr);
  // Called as a function without parameters, as a library may declare it.
  // (The detour through void (*)() is the generic function pointer type.)
  auto bare = reinterpret_cast<void* (*)()>(reinterpret_cast<void (*)()>(HostFunction()));
  EXPECT_EQ(bare(), nullptr);
}

TEST(HostFunctionTest, PassedAddressIsTheExportedOne) {
  ASSERT_NE(ExportedHostAddress(), 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(HostFunction()), ExportedHostAddress());
}

using HostFunctionLibraryTest = ExtensionTest;

TEST_F(HostFunctionLibraryTest, LibraryCallingTheHostGetsNullAndNothingHappens) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  EXPECT_EQ(Run("##TOOLS.HOST", "TOOLS.HOST"), "taken:0:(untouched)");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.calls.empty());
}

TEST_F(HostFunctionLibraryTest, EveryEntryPointGetsZeroAndTheExportedHostAddress) {
  Install(kFullLibrary, "__pxa__full.so");
  LoadAll();
  NotifyScriptInit(context);
  Run("##TOOLS.ECHO", "TOOLS.ECHO");
  Expand("{tools.name}");
  NotifyScriptExit(context);
  UnloadExtensions(context);

  const std::string expected = "zero=0 host=" + std::to_string(ExportedHostAddress()) + " ";
  std::vector<std::string> entries;
  for (const std::string& line : RawCalls()) {
    std::istringstream in(line);
    std::string library, entry;
    in >> library >> entry;
    entries.push_back(entry);
    if (entry != "Unloaded") {
      EXPECT_NE(line.find(expected), std::string::npos) << line;
    }
  }
  const std::vector<std::string> variable = {"ScriptGetVarName", "ScriptGetVarValueLen",
                                             "ScriptGetVarValue"};
  const std::vector<std::string> emptyVariable = {"ScriptGetVarName", "ScriptGetVarValueLen"};
  std::vector<std::string> expectedEntries = {"Init", "ScriptGetKey", "IsInterface", "ScriptInit",
                                              "ScriptCommand"};
  // name, count, empty (its length is 0: its value is not asked for), self, nested, end.
  for (const auto* part : {&variable, &variable, &emptyVariable, &variable, &variable})
    expectedEntries.insert(expectedEntries.end(), part->begin(), part->end());
  for (const char* entry : {"ScriptGetVarName", "IsInterface", "ScriptExit", "Exit", "Unloaded"})
    expectedEntries.push_back(entry);
  EXPECT_EQ(entries, expectedEntries);
}

}  // namespace
}  // namespace quire::testing
