// Loading a book of 2,000 pages (about 100 MB of HTML): CEBook::Load, which parses the
// book and extracts every page, beside `unzip` of the same pages zipped at zip's default
// level. Both are timed in wall-clock time, each extracting into an empty folder. After
// the runs a summary prints the ratio and the peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/page_load_steps.h"
#include "platform/paths.h"
#include "support/bench_text.h"
#include "support/summary_reporter.h"

namespace {

constexpr int kPages = 2000;
constexpr size_t kPageSize = 50 * 1000;

namespace fs = std::filesystem;

struct Fixture {
  std::string base;      // everything of this run lives here
  std::string pages;     // the pages as files
  std::string book;      // the book made of them
  std::string zip;       // the same pages zipped
  std::string unzipped;  // where unzip extracts
  uint64_t totalBytes = 0;
  std::map<std::string, uint64_t> pageSizes;  // by file name
};

// A page of HTML prose: headings, paragraphs with links, words drawn with a skew so that
// common words repeat as in real text.
std::string MakePage(int index, const std::vector<std::string>& words, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  auto word = [&]() -> const std::string& {
    double x = u(rng);
    return words[static_cast<size_t>(x * x * x * static_cast<double>(words.size()))];
  };
  std::string page = "<html><head><title>Page " + std::to_string(index) +
                     "</title></head>\n<body>\n<h1>Chapter " + std::to_string(index) + "</h1>\n";
  while (page.size() < kPageSize) {
    page += "<p>";
    for (int w = 0; w < 60; ++w) {
      if (rng() % 40 == 0) {
        page += "<a href=\"page" + std::to_string(rng() % kPages) + ".html\">" + word() + "</a> ";
      } else {
        page += word() + (rng() % 12 == 0 ? ". " : " ");
      }
    }
    page += "</p>\n";
  }
  page += "</body></html>\n";
  return page;
}

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->base = quire::bench::MakeScratchFolder("loadbench");
    f->pages = f->base + "/pages";
    f->book = f->base + "/book.bin";
    f->zip = f->base + "/book.zip";
    f->unzipped = f->base + "/unzipped";
    fs::create_directories(f->pages);
    fs::create_directories(f->base + "/tmp");

    std::mt19937 rng(2024);
    const std::vector<std::string> words = quire::bench::SyllableVocabulary(rng);
    quire::BookSpec bookSpec;
    bookSpec.image = std::string(1 << 20, '\x90');
    bookSpec.settings.esbn = "LOADBENCH";
    bookSpec.settings.title = "Load benchmark";
    for (int i = 0; i < kPages; ++i) {
      const std::string fileName = i == 0 ? "index.html" : "page" + std::to_string(i) + ".html";
      const std::string path = f->pages + "/" + fileName;
      std::string page = MakePage(i, words, rng);
      f->totalBytes += page.size();
      f->pageSizes[fileName] = page.size();
      std::ofstream(path, std::ios::binary) << page;
      quire::BookFileInput input;
      input.entry.fileName = fileName;
      input.entry.packed = true;
      input.entry.searchable = true;
      input.sourcePath = path;
      bookSpec.files.push_back(std::move(input));
    }
    std::string error;
    if (!quire::WriteBook(bookSpec, f->book, &error)) {
      std::fprintf(stderr, "cannot write the book: %s\n", error.c_str());
      std::exit(1);
    }
    const std::string zipCommand = "cd '" + f->pages + "' && zip -q -r '" + f->zip + "' .";
    if (std::system(zipCommand.c_str()) != 0) {
      std::fprintf(stderr, "zip failed (is it installed?)\n");
      std::exit(1);
    }
    std::fprintf(stderr, "%d pages, %.1f MB of HTML; book %.1f MB, zip %.1f MB\n", kPages,
                 static_cast<double>(f->totalBytes) / 1e6,
                 static_cast<double>(fs::file_size(f->book)) / 1e6,
                 static_cast<double>(fs::file_size(f->zip)) / 1e6);
    setenv("TMPDIR", (f->base + "/tmp").c_str(), 1);
    quire::OverrideOwnExecutablePath(f->book);
    return f;
  }();
  return *fixture;
}

long PeakRssKb(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return usage.ru_maxrss;
}

void BM_CEBookLoad(benchmark::State& state) {
  Fixture& f = TheFixture();
  const long before = PeakRssKb(RUSAGE_SELF);
  for (auto _ : state) {
    const quire::LoadResult result = quire::CEBook::Instance().Load(quire::PageLoadSteps());
    state.PauseTiming();
    // A load that skipped pages would look fast: every page must be there, whole.
    if (result.reason != quire::LoadResult::Reason::kNone) {
      state.SkipWithError(("load failed: " + result.Message()).c_str());
      return;
    }
    const std::string folder = quire::BookFolder();
    for (const auto& [name, size] : f.pageSizes) {
      std::error_code ec;
      if (fs::file_size(folder + name, ec) != size || ec) {
        state.SkipWithError(("not extracted whole: " + name).c_str());
        return;
      }
    }
    quire::PageStore::Instance().Cleanup();
    quire::PageStore::Instance().ResetForTesting();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalBytes));
  state.counters["rss_before_kb"] = static_cast<double>(before);
  state.counters["rss_peak_kb"] = static_cast<double>(PeakRssKb(RUSAGE_SELF));
}

void BM_Unzip(benchmark::State& state) {
  Fixture& f = TheFixture();
  const std::string command = "unzip -q -o '" + f.zip + "' -d '" + f.unzipped + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0)
      state.SkipWithError("unzip failed");
    state.PauseTiming();
    fs::remove_all(f.unzipped);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalBytes));
}

BENCHMARK(BM_CEBookLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Unzip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto* load = reporter.Find("BM_CEBookLoad");
  const auto* unzip = reporter.Find("BM_Unzip");
  if (load != nullptr && unzip != nullptr && unzip->seconds > 0) {
    std::printf("CEBook::Load %.0f ms, unzip %.0f ms: load/unzip %.2fx; peak RSS %.1f MB\n",
                load->seconds * 1e3, unzip->seconds * 1e3, load->seconds / unzip->seconds,
                reporter.Counter("BM_CEBookLoad", "rss_peak_kb") / 1024.0);
  }
  std::error_code ignored;
  fs::remove_all(TheFixture().base, ignored);
  benchmark::Shutdown();
  return 0;
}
