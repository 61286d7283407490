// Searching a book of 2,000 pages of 64 KB in the reader's window: from choosing OK in the
// dialog that Go > Search this E-Book... opens until the results page has finished loading,
// beside SearchBook alone over the same pages with the same word, and beside showing a page
// without a search (Go > Home, from the click to its load). The window adds the status-bar
// progress painted at every step, sorting, writing and loading the results page; the goal
// is at most 20% on top of SearchBook.
//
// The window is driven through the accessibility bus by bench/window_search_driver.py
// under tests/gui/run_gui_test.sh (its own Xvfb and session bus), five searches in one run
// of the book; each search is one iteration here.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "support/bench_text.h"
#include "support/summary_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 2000;
constexpr size_t kPageBytes = 64 * 1024;
constexpr int kRuns = 5;
// Planted in every hundredth page, so that the results page stays small.
constexpr char kQuery[] = "wombat";

void Fail(const std::string& why) {
  std::fprintf(stderr, "window_search_bench: %s\n", why.c_str());
  std::exit(1);
}

struct Fixture {
  std::string base;
  std::string book;
  std::vector<double> windowSeconds;
  std::vector<double> homeSeconds;
  quire::ReaderContext reader;  // the load SearchBook alone searches
};

std::string BuildBook(const std::string& base) {
  std::string corpus = quire::bench::MachineHtmlCorpus(32u << 20);
  corpus.erase(std::remove(corpus.begin(), corpus.end(), '\0'), corpus.end());
  if (corpus.size() < 4096)
    corpus = "<p>No documentation found on this machine; a plain page instead.</p>\n";
  const std::string pages = base + "/pages";
  fs::create_directories(pages);
  quire::BookSpec bookSpec;
  bookSpec.imagePath = QUIRE_READER_PATH;
  bookSpec.bookId = "WINDOWSEARCHBENCH";
  bookSpec.settings.esbn = "WINDOWSEARCHBENCH";
  bookSpec.settings.title = "Window search benchmark";
  bookSpec.settings.windowWidthCode = 900;
  bookSpec.settings.windowHeight = 700;
  bookSpec.settings.shortcutOffer = 0;
  std::string page(kPageBytes, ' ');
  for (int i = 0; i <= kPages; ++i) {
    const std::string name = i == 0 ? "index.html" : "page" + std::to_string(i) + ".html";
    std::string text;
    if (i == 0) {
      text = "<html><body><h1>Start</h1></body></html>";
    } else {
      size_t at = (static_cast<size_t>(i) * 104729u) % corpus.size();
      for (size_t k = 0; k < kPageBytes; ++k) {
        page[k] = corpus[at];
        if (++at == corpus.size())
          at = 0;
      }
      if (i % 100 == 0)
        page.replace(kPageBytes / 2, 6, kQuery);
      text = page;
    }
    const std::string path = pages + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    quire::BookFileInput input;
    input.entry.fileName = name;
    input.entry.title = name;
    input.entry.packed = false;  // writing and extracting 128 MB stays quick
    input.entry.searchable = i != 0;
    input.sourcePath = path;
    bookSpec.files.push_back(std::move(input));
  }
  const std::string book = base + "/book";
  std::string error;
  if (!quire::WriteBook(bookSpec, book, &error))
    Fail("cannot write the book: " + error);
  fs::remove_all(pages);
  return book;
}

void TimeWindowSearches(const std::string& book, Fixture* f) {
  const std::string command = std::string("QUIRE_READER='") + QUIRE_READER_PATH + "' '" +
                              QUIRE_SOURCE_DIR + "/tests/gui/run_gui_test.sh' '" +
                              QUIRE_SOURCE_DIR + "/bench/window_search_driver.py' '" + book + "' " +
                              std::to_string(kRuns) + " " + kQuery + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr)
    Fail("cannot start the window driver");
  char line[256];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    double value = 0;
    if (std::sscanf(line, "run %lf", &value) == 1)
      f->windowSeconds.push_back(value);
    else if (std::sscanf(line, "home %lf", &value) == 1)
      f->homeSeconds.push_back(value);
  }
  pclose(pipe);
  if (f->windowSeconds.size() != static_cast<size_t>(kRuns) ||
      f->homeSeconds.size() != static_cast<size_t>(kRuns))
    Fail("the window driver timed " + std::to_string(f->windowSeconds.size()) + " searches, not " +
         std::to_string(kRuns));
}

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->base = quire::bench::MakeScratchFolder("windowsearchbench");
    fs::create_directories(f->base + "/tmp");
    setenv("TMPDIR", (f->base + "/tmp").c_str(), 1);
    f->book = BuildBook(f->base);
    TimeWindowSearches(f->book, f);
    // SearchBook alone reads the same pages, extracted by a load of the same book.
    f->reader.book.SetFile(f->book);
    f->reader.book.Load(f->reader.store, quire::PageLoadSteps(f->reader));
    return f;
  }();
  return *fixture;
}

void BM_WindowSearchFromGoMenu(benchmark::State& state) {
  Fixture& f = TheFixture();
  size_t run = 0;
  for (auto _ : state)
    state.SetIterationTime(f.windowSeconds[run++ % f.windowSeconds.size()]);
}
BENCHMARK(BM_WindowSearchFromGoMenu)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(kRuns);

// Showing a page in the window without a search: Go > Home, from the click to the load.
void BM_WindowGoHome(benchmark::State& state) {
  Fixture& f = TheFixture();
  size_t run = 0;
  for (auto _ : state)
    state.SetIterationTime(f.homeSeconds[run++ % f.homeSeconds.size()]);
}
BENCHMARK(BM_WindowGoHome)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kRuns);

void BM_SearchBookAlone(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    std::vector<quire::PageEntry> results;
    quire::SearchBook(f.reader, kQuery, false, &results);
    benchmark::DoNotOptimize(results);
  }
}
BENCHMARK(BM_SearchBookAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(kRuns);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double window = reporter.Milliseconds("BM_WindowSearchFromGoMenu");
  const double alone = reporter.Milliseconds("BM_SearchBookAlone");
  const double home = reporter.Milliseconds("BM_WindowGoHome");
  if (alone > 0) {
    std::printf(
        "window search %.1f ms, SearchBook alone %.1f ms, window/alone %.3f (goal <= 1.20)\n",
        window, alone, window / alone);
    std::printf(
        "showing a page alone (Go > Home) %.1f ms; the search in the window without it %.1f ms, "
        "%.3f of SearchBook alone\n",
        home, window - home, (window - home) / alone);
  }
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(TheFixture().base, ignored);
  return 0;
}
