// The contents pane's tree for the long books readers keep open: the 1,169 pages of the
// PostgreSQL manual and the 32,101 of the Rust documentation. Building the tree and one
// filter keystroke are timed; the names are the real ones where Debian's rust-doc is
// installed (folders and all), else made up in the same shape. The program prints the
// times for the larger book (goals: build <= 100 ms, a keystroke's filter <= 16 ms, one
// frame).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pages/contents_tree.h"
#include "support/summary_reporter.h"

namespace quire {
namespace {

constexpr size_t kSmallBook = 1169;
constexpr size_t kLargeBook = 32101;
constexpr char kRustDocs[] = "/usr/share/doc/rust-doc/html";

// The title a page of that name would carry: its last part without ".html".
std::string TitleOf(const std::string& name) {
  std::string title = name.substr(name.rfind('/') + 1);
  return title.substr(0, title.rfind('.')) + " - Rust";
}

std::vector<ContentsItem> RustLikeItems(size_t count) {
  std::vector<ContentsItem> items;
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(kRustDocs, ec), end;
       !ec && it != end && items.size() < count; it.increment(ec)) {
    if (it->is_regular_file() && it->path().extension() == ".html") {
      std::string name = std::filesystem::relative(it->path(), kRustDocs).string();
      items.push_back({name, TitleOf(name)});
    }
  }
  static const char* const kCrates[] = {"std", "core", "alloc", "proc_macro", "test"};
  static const char* const kKinds[] = {"struct", "fn", "trait", "enum", "macro", "type"};
  for (size_t i = items.size(); items.size() < count; ++i) {
    std::string name = std::string(kCrates[i % 5]) + "/module" + std::to_string(i % 97) + "/" +
                       (i % 3 == 0 ? "sub" + std::to_string(i % 7) + "/" : "") + kKinds[i % 6] +
                       ".Item" + std::to_string(i) + ".html";
    items.push_back({name, TitleOf(name)});
  }
  std::sort(items.begin(), items.end(),
            [](const ContentsItem& a, const ContentsItem& b) { return a.title < b.title; });
  return items;
}

const std::vector<ContentsItem>& Items() {
  static const std::vector<ContentsItem> items = RustLikeItems(kLargeBook);
  return items;
}

void BM_BuildTree(benchmark::State& state) {
  const std::vector<ContentsItem> items(Items().begin(), Items().begin() + state.range(0));
  size_t nodes = 0;
  for (auto _ : state) {
    ContentsTree tree(items);
    nodes = tree.Nodes().size();
    benchmark::DoNotOptimize(tree.Roots().data());
  }
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_BuildTree)
    ->Arg(kSmallBook)
    ->Arg(kLargeBook)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One keystroke: a one-letter query (nearly everything shows) and a narrow two-word one.
void BM_Filter(benchmark::State& state, const char* query) {
  const std::vector<ContentsItem> items(Items().begin(), Items().begin() + state.range(0));
  const ContentsTree tree(items);
  size_t shown = 0;
  for (auto _ : state) {
    const std::vector<char> flags = tree.Filter(query);
    shown = static_cast<size_t>(std::count(flags.begin(), flags.end(), 1));
    benchmark::DoNotOptimize(flags.data());
  }
  state.counters["shown"] = static_cast<double>(shown);
}
BENCHMARK_CAPTURE(BM_Filter, wide, "s")
    ->Arg(kSmallBook)
    ->Arg(kLargeBook)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Filter, narrow, "hash map")
    ->Arg(kSmallBook)
    ->Arg(kLargeBook)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quire

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const std::string large = "/" + std::to_string(quire::kLargeBook);
  const double build = reporter.Milliseconds("BM_BuildTree" + large);
  const double wide = reporter.Milliseconds("BM_Filter/wide" + large);
  const double narrow = reporter.Milliseconds("BM_Filter/narrow" + large);
  if (build > 0 && wide > 0 && narrow > 0) {
    std::printf(
        "Contents of %zu pages: tree built in %.1f ms (goal <= 100), filtered in %.1f ms for "
        "\"s\" and %.1f ms for \"hash map\" (goal <= 16)\n",
        quire::kLargeBook, build, wide, narrow);
  }
  benchmark::Shutdown();
  return 0;
}
