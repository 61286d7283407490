// What checking a write's path for planted links costs: the walk alone on a path five
// folders deep, and a whole replacement of a small file (as generated pages and INIWRITE
// make, without flushing to disk) that includes it.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_replace.h"
#include "platform/write_target.h"
#include "support/bench_text.h"

namespace {

class DeepFolder {
 public:
  DeepFolder() {
    m_root = quire::bench::MakeScratchFolder("write-target-bench");
    std::string folder = m_root;
    for (const char* part : {"a", "b", "c", "d", "e"}) {
      folder += std::string("/") + part;
      mkdir(folder.c_str(), 0700);
    }
    m_file = folder + "/page.html";
  }
  ~DeepFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  const std::string& File() const { return m_file; }

 private:
  std::string m_root;
  std::string m_file;
};

void BM_FindWriteTarget(benchmark::State& state) {
  DeepFolder folder;
  quire::ReplaceFileContents(folder.File(), {}, "x");
  for (auto _ : state) {
    benchmark::DoNotOptimize(quire::FindWriteTarget(folder.File(), geteuid()));
  }
}
BENCHMARK(BM_FindWriteTarget)->Unit(benchmark::kMicrosecond);

void BM_ReplaceSmallFile(benchmark::State& state) {
  DeepFolder folder;
  quire::ReplaceOptions options;
  options.syncToDisk = false;
  const std::string page(2000, 'p');
  for (auto _ : state) {
    if (!quire::ReplaceFileContents(folder.File(), options, page))
      state.SkipWithError("the file could not be replaced");
  }
}
BENCHMARK(BM_ReplaceSmallFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
