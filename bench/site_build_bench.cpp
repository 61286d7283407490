// Building a book of a real documentation site as a user builds one, `quire-pack build
// DIR -o BOOK` (the site's folders kept, pages byte for byte), and flattened with
// --flatten, beside `zip -r -6` of the same folder. Each runs as a child process, three
// times; its wall-clock time and its peak resident memory (the largest of the runs) are
// measured, and a summary prints both beside zip's. A build whose peak memory grew with the
// size of the site would show here first.
//
// The site is the folder QUIRE_BUILD_SITE names, else Debian's Rust documentation
// (/usr/share/doc/rust-doc/html, package rust-doc: 32,101 pages, 580 MB), else its Python
// documentation (python3.11-doc). quire-pack and the reader are found beside this program
// in the build tree, or through QUIRE_PACK and QUIRE_READER.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/bench_text.h"
#include "support/run_program.h"
#include "support/summary_reporter.h"

using quire::bench::BesideThisProgram;
using quire::bench::ProgramUsage;
using quire::bench::RunProgramMeasured;

namespace {

namespace fs = std::filesystem;

constexpr const char* kSites[] = {"/usr/share/doc/rust-doc/html", "/usr/share/doc/python3.11/html"};

struct Fixture {
  std::string base;  // scratch folder of this run
  std::string site;
  std::string pack;
  std::string reader;
  uint64_t siteBytes = 0;
  size_t siteFiles = 0;
};

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    if (const char* site = std::getenv("QUIRE_BUILD_SITE"); site && *site) {
      f->site = site;
    } else {
      for (const char* candidate : kSites) {
        if (fs::is_directory(candidate)) {
          f->site = candidate;
          break;
        }
      }
    }
    if (f->site.empty() || !fs::is_directory(f->site)) {
      std::fprintf(stderr,
                   "no documentation site: install rust-doc or python3.11-doc, or name a "
                   "folder in QUIRE_BUILD_SITE\n");
      f->site.clear();
      return f;
    }
    f->base = quire::bench::MakeScratchFolder("sitebuildbench");
    f->pack = BesideThisProgram("QUIRE_PACK", "../tools/quire-pack");
    f->reader = BesideThisProgram("QUIRE_READER", "../quire-reader");
    const quire::bench::SiteSize size = quire::bench::MeasureSite(f->site);
    f->siteFiles = size.files;
    f->siteBytes = size.bytes;
    std::fprintf(stderr, "%s: %zu files, %.1f MB\n", f->site.c_str(), f->siteFiles,
                 static_cast<double>(f->siteBytes) / 1e6);
    return f;
  }();
  return *fixture;
}

// What each benchmark measured: the largest peak of its runs, and the size it wrote.
std::map<std::string, long> g_peakKilobytes;
std::map<std::string, double> g_sizes;

void Measure(benchmark::State& state, const std::string& name, const std::vector<std::string>& args,
             const std::string& output, const std::string& dir = "") {
  Fixture& f = TheFixture();
  if (f.site.empty()) {
    state.SkipWithError("no site");
    return;
  }
  long peak = 0;
  for (auto _ : state) {
    fs::remove(output);  // zip adds to an existing archive
    ProgramUsage usage;
    if (!RunProgramMeasured(args, &usage, dir)) {
      state.SkipWithError((args[0] + " failed").c_str());
      return;
    }
    state.SetIterationTime(usage.seconds);
    peak = std::max(peak, usage.peakKilobytes);
  }
  g_peakKilobytes[name] = peak;
  g_sizes[name] = static_cast<double>(fs::file_size(output));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.siteBytes));
  state.counters["peak_MB"] = static_cast<double>(peak) / 1024;
  state.counters["output_MB"] = g_sizes[name] / 1e6;
}

void BM_Build(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string book = f.base + "/book";
  Measure(state, "build", {f.pack, "build", f.site, "-o", book, "--reader", f.reader, "-q"}, book);
}

void BM_BuildFlattened(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string book = f.base + "/flat-book";
  Measure(state, "flatten",
          {f.pack, "build", f.site, "-o", book, "--reader", f.reader, "--flatten", "-q"}, book);
}

void BM_Zip6(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string zip = f.base + "/site.zip";
  Measure(state, "zip", {"zip", "-r", "-6", "-q", zip, "."}, zip, f.site);
}

void ThreeRuns(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
}

BENCHMARK(BM_Build)->Apply(ThreeRuns);
BENCHMARK(BM_BuildFlattened)->Apply(ThreeRuns);
BENCHMARK(BM_Zip6)->Apply(ThreeRuns);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double build = reporter.Milliseconds("BM_Build/");
  const double flat = reporter.Milliseconds("BM_BuildFlattened");
  const double zip = reporter.Milliseconds("BM_Zip6");
  auto megabytes = [](const std::string& name) {
    return static_cast<double>(g_peakKilobytes[name]) / 1024;
  };
  if (build > 0 && zip > 0) {
    std::printf("\n%-22s %12s %12s %12s\n", "", "build", "--flatten", "zip -r -6");
    std::printf("%-22s %12.0f %12.0f %12.0f\n", "time (ms)", build, flat, zip);
    std::printf("%-22s %12.0f %12.0f %12.0f\n", "peak memory (MB)", megabytes("build"),
                megabytes("flatten"), megabytes("zip"));
    std::printf("%-22s %12.1f %12.1f %12.1f\n", "output (MB)", g_sizes["build"] / 1e6,
                g_sizes["flatten"] / 1e6, g_sizes["zip"] / 1e6);
    std::printf("quire-pack build / zip: time %.2fx, peak memory %.0f MB (zip %.0f MB)",
                build / zip, megabytes("build"), megabytes("zip"));
    if (flat > 0)
      std::printf("; --flatten: time %.2fx, peak memory %.0f MB", flat / zip, megabytes("flatten"));
    std::printf("\n");
  }
  std::error_code ec;
  if (!TheFixture().base.empty())
    fs::remove_all(TheFixture().base, ec);
  return 0;
}
