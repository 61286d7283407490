// The quire-pack program run as a user runs it: the fixture every command's tests share.
#ifndef QUIRE_TESTS_TOOLS_PACK_CLI_FIXTURE_H_
#define QUIRE_TESTS_TOOLS_PACK_CLI_FIXTURE_H_

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "book/book_features.h"
#include "book/book_writer.h"
#include "book/cebook.h"
#include "book/container_format.h"
#include "book_file.h"
#include "pages/html_text.h"
#include "support/book_fixture.h"
#include "support/fake_window.h"
#include "support/scoped_env.h"
#include "support/scoped_tmpdir.h"
#include "tools/json_value.h"
#include "tools/pack_runner.h"
#include "tools/settings_fields.h"

namespace quire::pack_tests {

namespace fs = std::filesystem;
using testing::BookLayout;
using testing::FakeWindow;
using testing::JsonValue;
using testing::ParseJson;
using testing::PathExists;
using testing::PutScrambledInt;
using testing::ReadWholeFile;
using testing::RunPack;
using testing::RunResult;
using testing::ScopedEnv;
using testing::ScopedTmpdir;
using testing::SettingsFields;
using testing::TestBook;
using testing::WriteWholeFile;

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr std::time_t kBuildTime = 1700000000;

inline std::string RandomBytes(size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string out(size, '\0');
  for (char& c : out)
    c = static_cast<char>(gen() & 0xFF);
  return out;
}

// Names in a folder, sorted.
inline std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class PackCliTest : public ::testing::Test {
 protected:
  PackCliTest() : m_epoch("SOURCE_DATE_EPOCH", std::to_string(kBuildTime)) {}

  std::string Path(const std::string& name) const { return m_tmp.File(name); }
  RunResult Pack(const std::vector<std::string>& args) { return RunPack(args, m_tmp.Path()); }

  void Write(const std::string& name, const std::string& bytes) {
    fs::create_directories(fs::path(Path(name)).parent_path());
    ASSERT_TRUE(WriteWholeFile(Path(name), bytes)) << name;
  }

  // Expects a clean failure: the exit code, a message on standard error that holds
  // `message`, no crash, and no file at `output` (when given).
  void ExpectFailure(const RunResult& r, int code, const std::string& message,
                     const std::string& output = "") {
    EXPECT_FALSE(r.crashed) << r.err;
    EXPECT_EQ(r.exitCode, code) << r.err;
    EXPECT_EQ(r.err.rfind("quire-pack: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos)
        << "expected: " << message << "\ngot: " << r.err;
    if (!output.empty()) {
      EXPECT_FALSE(PathExists(output)) << output;
    }
  }

  // A built book of a small folder, for the tests that need any book.
  std::string SimpleBook() {
    Write("simple/book.ini", "[book]\ntitle = Simple\n");
    Write("simple/index.html", "<title>Start</title><p>" + std::string(5000, 'a') + "</p>");
    Write("simple/data.bin", RandomBytes(3000, 1));
    RunResult r = Pack(
        {"build", Path("simple"), "-o", Path("simple.book"), "--reader", testing::ReaderPath()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Path("simple.book");
  }

  ScopedTmpdir m_tmp;
  ScopedEnv m_epoch;
};

}  // namespace quire::pack_tests

#endif  // QUIRE_TESTS_TOOLS_PACK_CLI_FIXTURE_H_
