// How fast script files run: a WHILE loop of 100,000 passes, each with a SET of an
// expression and two string commands. Reported as script lines executed per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "book/cebook.h"
#include "pages/reader_context.h"
#include "script/executor.h"
#include "script/script_file.h"
#include "support/bench_text.h"

namespace {

constexpr int kPasses = 100000;

const char kScript[] =
    "; counting loop\n"
    "SET('i',0)\n"
    "WHILE({i}<100000)\n"
    "  SET('i',{i}+1)\n"
    "  STRCAT('s','item','{i}')\n"
    "  STRMID('m','{s}',3,4)\n"
    "WEND\n";

// Lines the run executes or skips: SET, then five per pass (WHILE, three commands,
// WEND), then the last WHILE with its skipped body and WEND.
constexpr double kLinesPerRun = 1 + 5.0 * kPasses + 5;

class ScriptFileFixture {
 public:
  ScriptFileFixture() {
    m_folder = quire::bench::MakeScratchFolder("script-bench");
    m_path = m_folder + "/loop.pgs";
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    if (file == nullptr)
      std::abort();
    std::fputs(kScript, file);
    std::fclose(file);
  }
  ~ScriptFileFixture() {
    std::remove(m_path.c_str());
    rmdir(m_folder.c_str());
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_folder;
  std::string m_path;
};

void BM_ScriptWhileLoop(benchmark::State& state) {
  ScriptFileFixture fixture;
  quire::ReaderContext context;
  for (auto _ : state) {
    quire::RunScript(context, fixture.Path(), "loop.pgs");
  }
  auto& vars = context.book.UserVariables();
  if (vars["i"] != std::to_string(kPasses) || vars["m"] != "em10") {
    state.SkipWithError(
        ("the loop did not run to its end: i=" + vars["i"] + " m=" + vars["m"]).c_str());
  }
  state.counters["lines_per_second"] = benchmark::Counter(
      kLinesPerRun * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScriptWhileLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
