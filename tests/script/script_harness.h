// Helpers that let script tests read like prose: run a command, a link or a script text
// against the fake window and read back variables and message boxes.
#ifndef QUIRE_TESTS_SCRIPT_SCRIPT_HARNESS_H_
#define QUIRE_TESTS_SCRIPT_SCRIPT_HARNESS_H_

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pages/reader_context.h"
#include "script/command_line.h"
#include "script/control_stack.h"
#include "script/executor.h"
#include "script/script_links.h"
#include "support/fake_window.h"
#include "support/scoped_tmpdir.h"

namespace quire::testing {

struct CommandOutcome {
  int result = -1;
  std::string errorText;
};

// A reader of the test's own (no book, no user variables) with a fresh fake window, and a
// private temporary folder per test.
class ScriptTest : public ::testing::Test {
 protected:
  // Runs one command line as a link piece would, on its own stack, its file calls made
  // through `env`.
  CommandOutcome Command(const std::string& text, Env* env = Env::Default()) {
    ControlStack stack;
    CommandOutcome outcome;
    Env* const usual = context.env;
    context.env = env;
    outcome.result = ExecuteCommandLine(context, stack, text, &outcome.errorText, nullptr);
    context.env = usual;
    return outcome;
  }

  // The value of a user variable, or nullopt when it was never set.
  std::optional<std::string> Var(const std::string& name) {
    auto& vars = context.book.UserVariables();
    auto found = vars.find(name);
    if (found == vars.end())
      return std::nullopt;
    return found->second;
  }

  // Writes `text` as a script file named `name` in the test's folder and runs it with
  // `name` as its display name.
  void RunScriptText(const std::string& text, const std::string& name = "test.pgs") {
    const std::string path = tmp.File(name);
    ASSERT_TRUE(WriteWholeFile(path, text));
    RunScript(context, path, name);
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : window.messages)
      texts.push_back(message.text);
    return texts;
  }

  ScopedTmpdir tmp;
  ReaderContext context;
  FakeWindow window{context.window};
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_SCRIPT_SCRIPT_HARNESS_H_
