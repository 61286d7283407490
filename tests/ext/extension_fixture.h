// A book folder of its own for each extension test, the test libraries copied into it,
// and the calls the libraries logged.
#ifndef QUIRE_TESTS_EXT_EXTENSION_FIXTURE_H_
#define QUIRE_TESTS_EXT_EXTENSION_FIXTURE_H_

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ext/extension_hooks.h"
#include "ext/extension_loader.h"
#include "pages/reader_context.h"
#include "quire/extension.h"
#include "support/fake_window.h"
#include "support/scoped_tmpdir.h"

namespace quire::testing {

// The built test libraries; see libs/test_extension.c for what each one does.
inline constexpr const char* kFullLibrary = QUIRE_TEST_EXT_FULL;
inline constexpr const char* kNoRuntimeLibrary = QUIRE_TEST_EXT_NORUNTIME;
inline constexpr const char* kNoInterfaceLibrary = QUIRE_TEST_EXT_NOINTERFACE;
inline constexpr const char* kNoCommandLibrary = QUIRE_TEST_EXT_NOCOMMAND;
inline constexpr const char* kEmptyKeyLibrary = QUIRE_TEST_EXT_EMPTYKEY;
inline constexpr const char* kTwinALibrary = QUIRE_TEST_EXT_TWIN_A;
inline constexpr const char* kTwinBLibrary = QUIRE_TEST_EXT_TWIN_B;
inline constexpr const char* kUnrulyLibrary = QUIRE_TEST_EXT_UNRULY;

// The address the running program exports as "PGX_HostGetFunc", as a library would find it.
inline uintptr_t ExportedHostAddress() {
  void* self = dlopen(nullptr, RTLD_NOW);
  void* address = self ? dlsym(self, "PGX_HostGetFunc") : nullptr;
  if (self)
    dlclose(self);
  return reinterpret_cast<uintptr_t>(address);
}

class ExtensionTest : public ::testing::Test {
 protected:
  ExtensionTest() {
    m_folder = m_tmp.Path() + "/book.k9w/";
    mkdir(m_folder.c_str(), 0700);
    m_log = m_tmp.File("calls.log");
    setenv("QUIRE_EXT_TEST_LOG", m_log.c_str(), 1);
    window.hasFrame = false;  // start-up: the frame does not exist yet
    window.nativeHandle = &m_frameStandIn;
  }

  ~ExtensionTest() override {
    UnloadExtensionsAndDeleteFiles(context);
    unsetenv("QUIRE_EXT_TEST_LOG");
  }

  // The book folder, ending with '/'.
  const std::string& Folder() const { return m_folder; }
  // Copies a built library into the book folder as `name` and returns the new path.
  std::string Install(const char* built, const std::string& name) {
    const std::string target = m_folder + name;
    std::filesystem::copy_file(built, target, std::filesystem::copy_options::overwrite_existing);
    return target;
  }
  // Loads the book folder's extensions as start-up does, then lets the frame appear.
  void LoadAll() {
    LoadExtensionsFrom(context, m_folder);
    window.hasFrame = true;
  }
  // The main window's handle as the libraries log it.
  std::string FrameHandle() const {
    return std::to_string(reinterpret_cast<uintptr_t>(&m_frameStandIn));
  }

  // Every logged call, in order, as "<library> <entry> <details>" (the common arguments
  // are checked by CheckCommonArguments and left out).
  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const std::string& line : RawCalls())
      calls.push_back(WithoutCommonArguments(line));
    return calls;
  }
  // The logged lines of library `name` only, entry and details.
  std::vector<std::string> CallsOf(const std::string& library) const {
    std::vector<std::string> calls;
    for (const std::string& call : Calls())
      if (call.rfind(library + " ", 0) == 0)
        calls.push_back(call.substr(library.size() + 1));
    return calls;
  }
  std::vector<std::string> RawCalls() const {
    std::vector<std::string> lines;
    std::optional<std::string> text = ReadWholeFile(m_log);
    if (!text)
      return lines;
    std::istringstream in(*text);
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  void ForgetCalls() { std::remove(m_log.c_str()); }

  // Runs an extension command; returns "taken:<flag>:<text>" or "not taken".
  std::string Run(const std::string& command, const std::string& keyword,
                  const std::vector<ExtensionArgument>& arguments = {}) {
    std::string text = "(untouched)";
    int flag = -1;
    if (!RunExtensionCommand(context, command, keyword, arguments, &text, &flag))
      return "not taken";
    return "taken:" + std::to_string(flag) + ":" + text;
  }
  std::string Expand(std::string text, bool bracketForm = false) {
    ExpandExtensionVariables(context, &text, bracketForm);
    return text;
  }

  static ExtensionArgument Text(std::string text) {
    return {ExtensionArgument::Kind::kText, 0, std::move(text)};
  }
  static ExtensionArgument Number(int32_t number) {
    return {ExtensionArgument::Kind::kNumber, number, ""};
  }

  ScopedTmpdir m_tmp;
  ReaderContext context;
  FakeWindow window{context.window};

 private:
  static std::string WithoutCommonArguments(const std::string& line) {
    // "<lib> <entry> zero=.. host=.. window=..[ details]"
    std::istringstream in(line);
    std::string library, entry, zero, host, frame, rest;
    in >> library >> entry >> zero >> host >> frame;
    std::getline(in, rest);
    return library + " " + entry + rest;
  }

  std::string m_folder;
  std::string m_log;
  int m_frameStandIn = 0;
};

}  // namespace quire::testing

#endif  // QUIRE_TESTS_EXT_EXTENSION_FIXTURE_H_
