// Flattening a real documentation site into a book: `quire-pack build --flatten` of
// Debian's Python documentation (about 530 pages in nested folders, with style sheets,
// pictures and scripts) beside `zip -6 -r` of the same tree. Both run as child processes
// and are timed in wall-clock time; a summary prints the time and size ratios and how
// many warnings the build gave.
//
// The site is /usr/share/doc/python3.11/html (package python3.11-doc, installed with
// apt-get when missing and this runs as root), or the folder QUIRE_FLATTEN_SITE names.
// quire-pack and the reader are found beside this program in the build tree, or through
// QUIRE_PACK and QUIRE_READER.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/bench_text.h"
#include "support/run_program.h"
#include "support/summary_reporter.h"

extern char** environ;

using quire::bench::BesideThisProgram;
using quire::bench::RunProgram;

namespace {

namespace fs = std::filesystem;

constexpr char kPythonDocs[] = "/usr/share/doc/python3.11/html";
constexpr char kPythonDocsPackage[] = "python3.11-doc";

struct Fixture {
  std::string base;  // scratch folder of this run
  std::string site;
  std::string book;
  std::string zip;
  std::string pack;
  std::string reader;
  uint64_t siteBytes = 0;
  size_t siteFiles = 0;
  size_t warnings = 0;
  bool ok = false;
};

// The site to flatten; installs the Python documentation when it is missing.
std::string FindSite() {
  if (const char* site = std::getenv("QUIRE_FLATTEN_SITE"); site && *site)
    return site;
  if (!fs::is_directory(kPythonDocs) && geteuid() == 0) {
    std::fprintf(stderr, "Installing %s for the benchmark...\n", kPythonDocsPackage);
    setenv("DEBIAN_FRONTEND", "noninteractive", 1);
    if (!RunProgram(
            {"apt-get", "install", "-y", "-qq", "--no-install-recommends", kPythonDocsPackage}))
      RunProgram(
          {"sh", "-c",
           std::string("apt-get update -qq && apt-get install -y -qq --no-install-recommends ") +
               kPythonDocsPackage});
  }
  return kPythonDocs;
}

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->site = FindSite();
    if (!fs::is_directory(f->site)) {
      std::fprintf(stderr, "%s is missing (install %s, or name a site in QUIRE_FLATTEN_SITE)\n",
                   f->site.c_str(), kPythonDocsPackage);
      return f;
    }
    f->base = quire::bench::MakeScratchFolder("flattenbench");
    f->book = f->base + "/book";
    f->zip = f->base + "/site.zip";
    f->pack = BesideThisProgram("QUIRE_PACK", "../tools/quire-pack");
    f->reader = BesideThisProgram("QUIRE_READER", "../quire");
    const quire::bench::SiteSize size = quire::bench::MeasureSite(f->site);
    f->siteFiles = size.files;
    f->siteBytes = size.bytes;
    // One build outside the timing, for the warnings.
    std::string errPath = f->base + "/warnings.txt";
    f->ok = RunProgram(
        {f->pack, "build", f->site, "-o", f->book, "--reader", f->reader, "--flatten", "--quiet"},
        "", errPath);
    std::ifstream err(errPath);
    for (std::string line; std::getline(err, line);)
      f->warnings += line.find("quire-pack: warning: ") == 0 ? 1 : 0;
    std::fprintf(stderr, "%s: %zu files, %.1f MB\n", f->site.c_str(), f->siteFiles,
                 static_cast<double>(f->siteBytes) / 1e6);
    return f;
  }();
  return *fixture;
}

std::map<std::string, double> g_sizes;  // output size per benchmark

void BM_QuirePackFlatten(benchmark::State& state) {
  Fixture& f = TheFixture();
  if (!f.ok) {
    state.SkipWithError("no site, or quire-pack build --flatten failed");
    return;
  }
  for (auto _ : state) {
    if (!RunProgram({f.pack, "build", f.site, "-o", f.book, "--reader", f.reader, "--flatten",
                     "--quiet"})) {
      state.SkipWithError("quire-pack build --flatten failed");
      return;
    }
  }
  const double payload =
      static_cast<double>(fs::file_size(f.book)) - static_cast<double>(fs::file_size(f.reader));
  g_sizes["BM_QuirePackFlatten"] = payload;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.siteBytes));
  state.counters["payload_MB"] = payload / 1e6;
  state.counters["warnings"] = static_cast<double>(f.warnings);
}

void BM_Zip6(benchmark::State& state) {
  Fixture& f = TheFixture();
  if (f.base.empty()) {
    state.SkipWithError("no site");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(f.zip);  // zip adds to an existing archive
    state.ResumeTiming();
    if (!RunProgram({"zip", "-6", "-r", "-q", f.zip, "."}, f.site)) {
      state.SkipWithError("zip failed (is it installed?)");
      return;
    }
  }
  const double size = static_cast<double>(fs::file_size(f.zip));
  g_sizes["BM_Zip6"] = size;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.siteBytes));
  state.counters["zip_MB"] = size / 1e6;
}

BENCHMARK(BM_QuirePackFlatten)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Zip6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

double Find(const std::map<std::string, double>& values, const std::string& prefix) {
  for (const auto& [name, value] : values) {
    if (name.rfind(prefix, 0) == 0)
      return value;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double packTime = reporter.Milliseconds("BM_QuirePackFlatten");
  const double zipTime = reporter.Milliseconds("BM_Zip6");
  const double packSize = Find(g_sizes, "BM_QuirePackFlatten");
  const double zipSize = Find(g_sizes, "BM_Zip6");
  if (packTime > 0 && zipTime > 0 && packSize > 0 && zipSize > 0) {
    const Fixture& f = TheFixture();
    std::printf("\n%-22s %12s %12s\n", "", "flatten", "zip -6 -r");
    std::printf("%-22s %12.0f %12.0f\n", "time (ms)", packTime, zipTime);
    std::printf("%-22s %12.2f %12.2f\n", "size (MB, no reader)", packSize / 1e6, zipSize / 1e6);
    std::printf("%-22s %12.3f %12.3f\n", "size / source",
                packSize / static_cast<double>(f.siteBytes),
                zipSize / static_cast<double>(f.siteBytes));
    std::printf("quire-pack / zip: size %.2fx, time %.2fx; %zu warnings\n", packSize / zipSize,
                packTime / zipTime, f.warnings);
  }
  std::error_code ec;
  if (!TheFixture().base.empty())
    fs::remove_all(TheFixture().base, ec);
  return 0;
}
