// Opening a book in the reader: the time from starting the book's program to the end of
// its start page's first load (when the book's start-up script runs), for the sample book
// and for a book of 2,000 pages (about 100 MB of HTML), beside CEBook::Load alone on the
// large book. Each is run five times; min and median are reported, and a summary prints
// the large book's open/load ratio.
//
// The sample book is also built as the run script builds it, on the stripped reader made
// for books. Given another reader program in QUIRE_BENCH_BASELINE_READER (a copy of an
// older build, say), the same book is built on it too and both are opened in the same
// run, so a change to how the reader starts can be compared; the summary gives both
// times and book sizes.
//
// The reader needs a display: without DISPLAY the program starts its own Xvfb. A desktop
// always has a session bus; without one the program starts its own, so that the figures
// do not include GTK's search for one.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"
#include "support/bench_text.h"
#include "support/summary_reporter.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPages = 2000;
constexpr size_t kPageSize = 50 * 1000;
constexpr auto kOpenDeadline = std::chrono::seconds(120);

struct Fixture {
  std::string base;
  std::string sampleBook;
  std::string shippedBook;   // the sample book on the stripped reader
  std::string baselineBook;  // the same on QUIRE_BENCH_BASELINE_READER, if given
  std::string largeBook;
  std::string signal;  // the file the start-up scripts write
  pid_t xvfb = -1;
  long bus = -1;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream data;
  data << in.rdbuf();
  return data.str();
}

void Fail(const std::string& why) {
  std::fprintf(stderr, "window_start_bench: %s\n", why.c_str());
  std::exit(1);
}

// Starts Xvfb on a display number of its own choosing and points DISPLAY at it.
pid_t StartXvfb() {
  int fds[2];
  if (pipe(fds) != 0)
    Fail("pipe");
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    if (fds[1] != 3) {
      dup2(fds[1], 3);
      close(fds[1]);
    }
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           nullptr);
    _exit(127);
  }
  close(fds[1]);
  char number[16] = {};
  ssize_t n = read(fds[0], number, sizeof(number) - 1);
  close(fds[0]);
  if (n <= 0)
    Fail("Xvfb did not start (is it installed?)");
  std::string display = ":" + std::string(number, std::strcspn(number, "\n"));
  setenv("DISPLAY", display.c_str(), 1);
  return pid;
}

// Starts a session bus and points DBUS_SESSION_BUS_ADDRESS at it; returns its pid.
long StartSessionBus() {
  FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
  if (out == nullptr)
    Fail("cannot start dbus-daemon");
  char address[512] = {};
  long pid = -1;
  if (std::fgets(address, sizeof(address), out) == nullptr || std::fscanf(out, "%ld", &pid) != 1)
    Fail("dbus-daemon gave no address (is it installed?)");
  pclose(out);
  address[std::strcspn(address, "\n")] = '\0';
  setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
  return pid;
}

std::string StartupScript(const std::string& signal) {
  return "##FILEWRITE('ok','" + signal + "','1')";
}

// The sample book, its start-up message replaced by a script that says the page loaded,
// on the reader program `reader`, written as `name`.
std::string BuildSampleBook(const Fixture& f, const std::string& reader,
                            const std::string& name = "sample-book") {
  const std::string source = f.base + "/sample";
  fs::remove_all(source);
  fs::copy(QUIRE_SOURCE_DIR "/examples/sample-book", source, fs::copy_options::recursive);
  std::string manifest = ReadFile(source + "/book.ini");
  std::string out;
  std::istringstream lines(manifest);
  for (std::string line; std::getline(lines, line);) {
    // A book id of its own: a copy of the sample book that runs on this machine (a test,
    // the run script) would otherwise take each start over as its second copy.
    if (line.rfind("startup-message", 0) == 0 || line.rfind("id ", 0) == 0 ||
        line.rfind("id=", 0) == 0)
      continue;
    out += line + "\n";
    if (line == "[book]") {
      out += "startup-script = " + StartupScript(f.signal) + "\n";
      out += "id = windowbench-" + name + "-" + std::to_string(getpid()) + "\n";
    }
  }
  std::ofstream(source + "/book.ini", std::ios::binary) << out;
  const std::string book = f.base + "/" + name;
  const std::string command = std::string("'") + QUIRE_PACK_PATH + "' build '" + source + "' -o '" +
                              book + "' --reader '" + reader + "' -q";
  if (std::system(command.c_str()) != 0)
    Fail("cannot build the sample book");
  return book;
}

std::string MakePage(int index, const std::vector<std::string>& words, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::string page = "<html><head><title>Page " + std::to_string(index) +
                     "</title></head>\n<body>\n<h1>Chapter " + std::to_string(index) + "</h1>\n";
  while (page.size() < kPageSize) {
    page += "<p>";
    for (int w = 0; w < 60; ++w) {
      double x = u(rng);
      page += words[static_cast<size_t>(x * x * x * static_cast<double>(words.size()))];
      page += rng() % 12 == 0 ? ". " : " ";
    }
    page += "</p>\n";
  }
  return page + "</body></html>\n";
}

std::string BuildLargeBook(const Fixture& f) {
  const std::string pages = f.base + "/pages";
  fs::create_directories(pages);
  std::mt19937 rng(2024);
  const std::vector<std::string> words = quire::bench::SyllableVocabulary(rng);
  quire::BookSpec book;
  book.imagePath = QUIRE_READER_PATH;
  book.bookId = "WINDOWBENCH";
  book.settings.esbn = "WINDOWBENCH";
  book.settings.title = "Window benchmark";
  book.settings.windowWidthCode = 900;
  book.settings.windowHeight = 700;
  book.settings.menuBar = 1;
  book.settings.toolbar = 1;
  book.settings.statusBar = 1;
  book.settings.startupScript = StartupScript(f.signal);
  for (int i = 0; i < kPages; ++i) {
    const std::string name = i == 0 ? "index.html" : "page" + std::to_string(i) + ".html";
    const std::string path = pages + "/" + name;
    std::ofstream(path, std::ios::binary) << MakePage(i, words, rng);
    quire::BookFileInput input;
    input.entry.fileName = name;
    input.entry.packed = true;
    input.entry.searchable = true;
    input.sourcePath = path;
    book.files.push_back(std::move(input));
  }
  const std::string bookPath = f.base + "/large-book";
  std::string error;
  if (!quire::WriteBook(book, bookPath, &error))
    Fail("cannot write the large book: " + error);
  fs::permissions(bookPath, fs::perms::owner_all, fs::perm_options::add);
  fs::remove_all(pages);
  return bookPath;
}

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->base = quire::bench::MakeScratchFolder("windowbench");
    f->signal = f->base + "/loaded";
    fs::create_directories(f->base + "/tmp");
    fs::create_directories(f->base + "/home");
    setenv("TMPDIR", (f->base + "/tmp").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (f->base + "/home").c_str(), 1);
    if (getenv("DISPLAY") == nullptr || *getenv("DISPLAY") == '\0')
      f->xvfb = StartXvfb();
    const char* bus = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || *bus == '\0')
      f->bus = StartSessionBus();
    f->sampleBook = BuildSampleBook(*f, QUIRE_READER_PATH);
    f->shippedBook = BuildSampleBook(*f, QUIRE_BOOK_READER_PATH, "shipped-book");
    const char* baseline = getenv("QUIRE_BENCH_BASELINE_READER");
    if (baseline != nullptr && *baseline != '\0')
      f->baselineBook = BuildSampleBook(*f, baseline, "baseline-book");
    f->largeBook = BuildLargeBook(*f);
    return f;
  }();
  return *fixture;
}

// One run: start the book, wait for its start-up script's file, close it with SIGTERM
// and wait for it to end. Returns the seconds to the first load.
double OpenOnce(const Fixture& f, const std::string& book, benchmark::State& state) {
  fs::remove(f.signal);
  const auto start = Clock::now();
  pid_t pid = fork();
  if (pid == 0) {
    execl(book.c_str(), book.c_str(), nullptr);
    _exit(127);
  }
  double seconds = -1;
  while (Clock::now() - start < kOpenDeadline) {
    if (fs::exists(f.signal)) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      break;
    }
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      state.SkipWithError("the reader ended before its page loaded");
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  if (seconds < 0)
    state.SkipWithError("the page did not load in time");
  return seconds;
}

void BM_OpenSampleBook(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state)
    state.SetIterationTime(OpenOnce(f, f.sampleBook, state));
}

void BM_OpenShippedSampleBook(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state)
    state.SetIterationTime(OpenOnce(f, f.shippedBook, state));
}

void BM_OpenBaselineSampleBook(benchmark::State& state) {
  Fixture& f = TheFixture();
  if (f.baselineBook.empty()) {
    state.SkipWithError("no QUIRE_BENCH_BASELINE_READER given");
    return;
  }
  for (auto _ : state)
    state.SetIterationTime(OpenOnce(f, f.baselineBook, state));
}

void BM_OpenLargeBook(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state)
    state.SetIterationTime(OpenOnce(f, f.largeBook, state));
}

void BM_LoadLargeBookOnly(benchmark::State& state) {
  Fixture& f = TheFixture();
  auto context = std::make_unique<quire::ReaderContext>();
  context->book.SetFile(f.largeBook);
  for (auto _ : state) {
    benchmark::DoNotOptimize(context->book.Load(context->store, quire::PageLoadSteps(*context)));
    state.PauseTiming();
    context->store.Cleanup();
    context = std::make_unique<quire::ReaderContext>();  // the next load starts afresh
    context->book.SetFile(f.largeBook);
    state.ResumeTiming();
  }
}

double Min(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// Each figure is one whole start, five times over: their median and their minimum.
void FiveStarts(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)
      ->Iterations(1)
      ->Repetitions(5)
      ->ComputeStatistics("min", Min)
      ->ReportAggregatesOnly(true);
}

BENCHMARK(BM_OpenSampleBook)->Apply(FiveStarts)->UseManualTime();
BENCHMARK(BM_OpenShippedSampleBook)->Apply(FiveStarts)->UseManualTime();
BENCHMARK(BM_OpenBaselineSampleBook)->Apply(FiveStarts)->UseManualTime();
BENCHMARK(BM_OpenLargeBook)->Apply(FiveStarts)->UseManualTime();
BENCHMARK(BM_LoadLargeBookOnly)->Apply(FiveStarts)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // With repetitions the reporter keeps the median of each.
  const double open = reporter.Milliseconds("BM_OpenLargeBook");
  const double load = reporter.Milliseconds("BM_LoadLargeBookOnly");
  if (open > 0 && load > 0) {
    std::printf("large book: open to first load %.0f ms, CEBook::Load alone %.0f ms: %.2fx\n", open,
                load, open / load);
  }
  Fixture& f = TheFixture();
  const double shipped = reporter.Milliseconds("BM_OpenShippedSampleBook");
  const double baseline = reporter.Milliseconds("BM_OpenBaselineSampleBook");
  if (shipped > 0) {
    std::printf("sample book as shipped: open to first load %.0f ms, %lld bytes\n", shipped,
                static_cast<long long>(fs::file_size(f.shippedBook)));
  }
  if (shipped > 0 && baseline > 0) {
    std::printf("sample book on the baseline reader: %.0f ms, %lld bytes: %.2fx the time\n",
                baseline, static_cast<long long>(fs::file_size(f.baselineBook)),
                shipped / baseline);
  }
  if (f.bus > 0)
    kill(static_cast<pid_t>(f.bus), SIGTERM);
  if (f.xvfb > 0) {
    kill(f.xvfb, SIGTERM);
    waitpid(f.xvfb, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(f.base, ignored);
  benchmark::Shutdown();
  return 0;
}
