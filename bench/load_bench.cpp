// Loading a book of 2,000 pages (about 100 MB of HTML): CEBook::Load, which parses the
// book and extracts every page, beside `unzip` of the same pages zipped at zip's default
// level. Both are timed in wall-clock time, each extracting into an empty folder. After
// the runs a summary prints the ratio and the peak resident memory.
//
// Then a book made of real documentation, Debian's Python documentation (the package
// python3.11-doc: its 530 pages four times over, 2,121 pages, about 200 MB): opening it as
// the reader does and cleaning up again (load, then the page store's clean-up), beside
// `unzip -q` and `rm -r` of the same pages as a `zip -6` archive; and the clean-up alone
// beside `rm -r` alone; and, as the floor under both, making and removing as many empty
// files. Each is the median of 7 runs, in wall-clock time, with the system time per file.
// Without the package these are skipped with a message.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "book/book_writer.h"
#include "book/cebook.h"
#include "book/lz.h"
#include "book/page_store.h"
#include "pages/page_load_steps.h"
#include "pages/reader_context.h"
#include "support/bench_text.h"
#include "support/run_program.h"
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

bool g_fixtureMade = false;  // so that main() removes only what was made

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    g_fixtureMade = true;
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
  auto context = std::make_unique<quire::ReaderContext>();
  context->book.SetFile(f.book);
  for (auto _ : state) {
    const quire::LoadResult result =
        context->book.Load(context->store, quire::PageLoadSteps(*context));
    state.PauseTiming();
    // A load that skipped pages would look fast: every page must be there, whole.
    if (result.reason != quire::LoadResult::Reason::kNone) {
      state.SkipWithError(("load failed: " + result.Message()).c_str());
      return;
    }
    const std::string folder = context->store.BookFolder();
    for (const auto& [name, size] : f.pageSizes) {
      std::error_code ec;
      if (fs::file_size(folder + name, ec) != size || ec) {
        state.SkipWithError(("not extracted whole: " + name).c_str());
        return;
      }
    }
    context->store.Cleanup();
    context = std::make_unique<quire::ReaderContext>();  // the next load starts afresh
    context->book.SetFile(f.book);
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

// --- The documentation book --------------------------------------------------------

constexpr const char* kDocFolder = "/usr/share/doc/python3.11/html";
constexpr int kDocCopies = 4;
constexpr int kDocRuns = 7;

struct DocFixture {
  std::string missing;   // why there is nothing to measure; empty when there is
  std::string base;      // everything of the documentation runs lives here
  std::string book;      // the book
  std::string zip;       // the same pages, zip -6
  std::string unzipped;  // where unzip extracts
  std::string tmp;       // the reader's TMPDIR for this book
  size_t files = 0;
  uint64_t totalBytes = 0;
};

double SystemSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_stime.tv_sec) + usage.ru_stime.tv_usec / 1e6;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The documentation's pages, each stored under a plain name made from its path, once per
// copy ("c0.library.os.html", ...), and its start page as "index.html".
bool g_docFixtureMade = false;

DocFixture& TheDocFixture() {
  static DocFixture* fixture = [] {
    g_docFixtureMade = true;
    auto* f = new DocFixture;
    const char* override = std::getenv("QUIRE_BENCH_DOC_HTML");
    const fs::path root = override != nullptr && *override ? override : kDocFolder;
    std::error_code ec;
    std::vector<fs::path> pages;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file() && it->path().extension() == ".html")
        pages.push_back(it->path());
    }
    if (pages.empty() || !fs::is_regular_file(root / "index.html")) {
      f->missing = "no documentation in " + root.string() +
                   " (apt-get install python3.11-doc, or set QUIRE_BENCH_DOC_HTML)";
      return f;
    }
    std::sort(pages.begin(), pages.end());
    f->base = quire::bench::MakeScratchFolder("loaddoc");
    const std::string flat = f->base + "/pages";
    f->book = f->base + "/book.bin";
    f->zip = f->base + "/pages.zip";
    f->unzipped = f->base + "/unzipped";
    f->tmp = f->base + "/tmp";
    fs::create_directories(flat);
    fs::create_directories(f->tmp);

    quire::BookSpec bookSpec;
    bookSpec.image = std::string(1 << 20, '\x90');
    bookSpec.settings.esbn = "LOADDOC";
    bookSpec.settings.title = "Python documentation";
    auto add = [&](const std::string& name, const std::string& html, const std::string& packed) {
      std::ofstream(flat + "/" + name, std::ios::binary) << html;
      quire::BookFileInput input;
      input.entry.fileName = name;
      input.entry.packed = true;
      input.entry.searchable = true;
      input.entry.inContents = true;
      input.entry.expandVariables = html.find("[={") != std::string::npos;
      input.packedData = packed;
      bookSpec.files.push_back(std::move(input));
      f->totalBytes += html.size();
    };
    const std::string index = ReadAll(root / "index.html");
    add("index.html", index, quire::LzPack(index));
    std::vector<std::pair<std::string, std::string>> named;  // name without copy, html
    for (const fs::path& page : pages) {
      std::string name = page.lexically_relative(root).string();
      std::replace(name.begin(), name.end(), '/', '.');
      named.emplace_back(name, ReadAll(page));
    }
    std::vector<std::string> packed;
    for (const auto& [name, html] : named)
      packed.push_back(quire::LzPack(html));
    for (int copy = 0; copy < kDocCopies; ++copy) {
      for (size_t i = 0; i < named.size(); ++i)
        add("c" + std::to_string(copy) + "." + named[i].first, named[i].second, packed[i]);
    }
    f->files = bookSpec.files.size();
    std::string error;
    if (!quire::WriteBook(bookSpec, f->book, &error)) {
      f->missing = "cannot write the book: " + error;
      return f;
    }
    if (!quire::bench::RunProgram({"zip", "-q", "-6", "-r", f->zip, "."}, flat)) {
      f->missing = "zip failed (is it installed?)";
      return f;
    }
    std::fprintf(stderr, "documentation: %zu pages, %.1f MB of HTML; book %.1f MB, zip %.1f MB\n",
                 f->files, static_cast<double>(f->totalBytes) / 1e6,
                 static_cast<double>(fs::file_size(f->book)) / 1e6,
                 static_cast<double>(fs::file_size(f->zip)) / 1e6);
    return f;
  }();
  return *fixture;
}

// Makes the documentation book's folders the scratch ones; false (the benchmark skipped)
// without the book.
bool UseDocBook(benchmark::State& state) {
  DocFixture& f = TheDocFixture();
  if (!f.missing.empty()) {
    state.SkipWithError(f.missing.c_str());
    return false;
  }
  setenv("TMPDIR", f.tmp.c_str(), 1);
  return true;
}

// Loads the documentation book as `context`'s book.
bool LoadDocBook(quire::ReaderContext& context, benchmark::State& state) {
  context.book.SetFile(TheDocFixture().book);
  const quire::LoadResult result = context.book.Load(context.store, quire::PageLoadSteps(context));
  if (result.reason != quire::LoadResult::Reason::kNone) {
    state.SkipWithError(("load failed: " + result.Message()).c_str());
    return false;
  }
  return true;
}

void CleanUp(quire::ReaderContext& context) {
  context.store.Cleanup();
}

void SetPerFile(benchmark::State& state, const DocFixture& f, double systemSeconds) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalBytes));
  state.counters["sys_us_per_file"] =
      systemSeconds * 1e6 / static_cast<double>(state.iterations() * f.files);
}

void BM_DocBookOpenAndCleanUp(benchmark::State& state) {
  if (!UseDocBook(state))
    return;
  DocFixture& f = TheDocFixture();
  double system = 0;
  for (auto _ : state) {
    quire::ReaderContext context;  // each open is a reader's first
    const double before = SystemSeconds(RUSAGE_SELF);
    if (!LoadDocBook(context, state))
      return;
    CleanUp(context);
    system += SystemSeconds(RUSAGE_SELF) - before;
  }
  // Everything the load wrote went again, the book folder included.
  if (fs::exists(f.tmp + "/quire-" + std::to_string(geteuid()) + "/LOADDOC.k9w")) {
    state.SkipWithError("the clean-up left the book folder behind");
    return;
  }
  SetPerFile(state, f, system);
}

void BM_DocBookCleanUp(benchmark::State& state) {
  if (!UseDocBook(state))
    return;
  DocFixture& f = TheDocFixture();
  double system = 0;
  for (auto _ : state) {
    state.PauseTiming();
    quire::ReaderContext context;  // each open is a reader's first
    if (!LoadDocBook(context, state))
      return;
    state.ResumeTiming();
    const double before = SystemSeconds(RUSAGE_SELF);
    CleanUp(context);
    system += SystemSeconds(RUSAGE_SELF) - before;
  }
  SetPerFile(state, f, system);
}

void BM_DocUnzipAndRemove(benchmark::State& state) {
  if (!UseDocBook(state))
    return;
  DocFixture& f = TheDocFixture();
  double system = 0;
  for (auto _ : state) {
    const double before = SystemSeconds(RUSAGE_CHILDREN);
    if (!quire::bench::RunProgram({"unzip", "-q", f.zip, "-d", f.unzipped}) ||
        !quire::bench::RunProgram({"rm", "-r", f.unzipped})) {
      state.SkipWithError("unzip or rm failed");
      return;
    }
    system += SystemSeconds(RUSAGE_CHILDREN) - before;
  }
  SetPerFile(state, f, system);
}

void BM_DocRemoveOnly(benchmark::State& state) {
  if (!UseDocBook(state))
    return;
  DocFixture& f = TheDocFixture();
  double system = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!quire::bench::RunProgram({"unzip", "-q", f.zip, "-d", f.unzipped})) {
      state.SkipWithError("unzip failed");
      return;
    }
    state.ResumeTiming();
    const double before = SystemSeconds(RUSAGE_CHILDREN);
    if (!quire::bench::RunProgram({"rm", "-r", f.unzipped})) {
      state.SkipWithError("rm failed");
      return;
    }
    system += SystemSeconds(RUSAGE_CHILDREN) - before;
  }
  SetPerFile(state, f, system);
}

// The floor under both: making and removing as many empty files, in one fresh folder, with
// nothing written into them. Where creating a file is slow, no way of extracting the book
// gets below this.
void BM_DocEmptyFilesOnly(benchmark::State& state) {
  if (!UseDocBook(state))
    return;
  DocFixture& f = TheDocFixture();
  const std::string folder = f.base + "/empty";
  double system = 0;
  for (auto _ : state) {
    const double before = SystemSeconds(RUSAGE_SELF);
    if (mkdir(folder.c_str(), 0700) != 0) {
      state.SkipWithError("cannot make the folder");
      return;
    }
    for (size_t i = 0; i < f.files; ++i) {
      const std::string path = folder + "/page" + std::to_string(i) + ".html";
      const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0) {
        state.SkipWithError("cannot make a file");
        return;
      }
      close(fd);
    }
    for (size_t i = 0; i < f.files; ++i)
      unlink((folder + "/page" + std::to_string(i) + ".html").c_str());
    rmdir(folder.c_str());
    system += SystemSeconds(RUSAGE_SELF) - before;
  }
  // No bytes go anywhere here: only the time per file counts.
  state.counters["sys_us_per_file"] =
      system * 1e6 / static_cast<double>(state.iterations() * f.files);
}

BENCHMARK(BM_CEBookLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Unzip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
// One run per repetition; only the aggregates are reported, so the median stands for each.
BENCHMARK(BM_DocBookOpenAndCleanUp)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(kDocRuns)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocUnzipAndRemove)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(kDocRuns)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocBookCleanUp)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(kDocRuns)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocRemoveOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(kDocRuns)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DocEmptyFilesOnly)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(kDocRuns)
    ->ReportAggregatesOnly(true);

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
  const auto* open = reporter.Find("BM_DocBookOpenAndCleanUp");
  const auto* unzipDoc = reporter.Find("BM_DocUnzipAndRemove");
  const auto* cleanUp = reporter.Find("BM_DocBookCleanUp");
  const auto* remove = reporter.Find("BM_DocRemoveOnly");
  if (open != nullptr && unzipDoc != nullptr && unzipDoc->seconds > 0) {
    const auto sys = [](const quire::bench::SummaryReporter::Result* r) {
      auto it = r->counters.find("sys_us_per_file");
      return it == r->counters.end() ? 0.0 : it->second;
    };
    std::printf(
        "documentation book, %zu files (medians of %d): open and clean up %.0f ms, unzip -q + "
        "rm -r %.0f ms: %.2fx; system time per file %.0f us vs %.0f us\n",
        TheDocFixture().files, kDocRuns, open->seconds * 1e3, unzipDoc->seconds * 1e3,
        open->seconds / unzipDoc->seconds, sys(open), sys(unzipDoc));
    if (cleanUp != nullptr && remove != nullptr && remove->seconds > 0) {
      std::printf("clean-up alone %.0f ms, rm -r alone %.0f ms: %.2fx\n", cleanUp->seconds * 1e3,
                  remove->seconds * 1e3, cleanUp->seconds / remove->seconds);
    }
    if (const auto* empty = reporter.Find("BM_DocEmptyFilesOnly"); empty != nullptr) {
      std::printf(
          "making and removing %zu empty files alone %.0f ms (%.2fx of unzip -q + rm -r), "
          "system time per file %.0f us\n",
          TheDocFixture().files, empty->seconds * 1e3, empty->seconds / unzipDoc->seconds,
          sys(empty));
    }
  } else if (g_docFixtureMade && !TheDocFixture().missing.empty()) {
    std::printf("documentation book skipped: %s\n", TheDocFixture().missing.c_str());
  }
  std::error_code ignored;
  if (g_fixtureMade)
    fs::remove_all(TheFixture().base, ignored);
  if (g_docFixtureMade && !TheDocFixture().base.empty())
    fs::remove_all(TheDocFixture().base, ignored);
  benchmark::Shutdown();
  return 0;
}
