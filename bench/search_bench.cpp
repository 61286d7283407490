// The book search against grep: a book of 2,000 searchable pages of 64 KB of real HTML, one
// three-word case-insensitive query. SearchBook runs side by side with `grep -ciF`, run once
// per word over the same page files; the program prints the ratio of the two times (goal:
// at most 1.0) and checks SearchBook's scores against a plain reference scorer first.
//
// Then books that quire-pack builds from Debian's documentation, when it is installed: Rust
// (rust-doc, 32,101 pages) and Python (python3.11-doc). For each, the time from a
// script's SEARCH to the results page written (BuildSearchPage) for a few queries, beside
// `grep -ciF`, run once per word over the same extracted pages. Goals: the slowest query at
// most 190 ms for Rust and 50 ms for Python. $QUIRE_BENCH_RUST_BOOK and
// $QUIRE_BENCH_PYTHON_BOOK may name books built beforehand.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/reader_context.h"
#include "pages/search.h"
#include "support/bench_text.h"
#include "support/doc_book.h"
#include "support/summary_reporter.h"

namespace quire {
namespace {

constexpr int kPages = 2000;
constexpr size_t kPageBytes = 64 * 1024;
constexpr char kQuery[] = "function Library closure";

// The book and its folder, made once for the whole program.
struct BenchBook {
  std::string tmpdir;
  std::vector<std::string> paths;
  ReaderContext reader;  // the book in memory, its pages in the reader's folder
};

// Real HTML text from this machine, joined into one corpus.
std::string LoadCorpus() {
  std::string corpus = bench::MachineHtmlCorpus(32u << 20);
  corpus.erase(std::remove(corpus.begin(), corpus.end(), '\0'), corpus.end());
  if (corpus.size() < 4096)
    corpus = "<p>No documentation found: function Library closure</p>\n";
  return corpus;
}

BenchBook& Book() {
  static BenchBook* book = [] {
    auto* made = new BenchBook;
    made->tmpdir = bench::MakeScratchFolder("search-bench");
    setenv("TMPDIR", made->tmpdir.c_str(), 1);

    EBookSettings settings = DefaultSettings();
    settings.esbn = "bench";
    settings.fileCount = kPages;
    std::vector<EBookFile> files;
    for (int i = 0; i < kPages; ++i) {
      EBookFile file;
      file.fileName = "page" + std::to_string(i) + ".html";
      file.searchable = true;
      file.title = "Page " + std::to_string(i) + (i % 7 == 0 ? " about a function" : "");
      file.description = i % 5 == 0 ? "Library notes" : "";
      file.keywords = i % 11 == 0 ? "closure function" : "";
      files.push_back(file);
    }
    made->reader.book.SetRecords(settings, files, {});

    const std::string corpus = LoadCorpus();
    const std::string folder = made->reader.store.BookFolder();
    std::string page(kPageBytes, ' ');
    for (int i = 0; i < kPages; ++i) {
      // Each page starts at a different place in the corpus and wraps around.
      size_t at = (static_cast<size_t>(i) * 104729u) % corpus.size();
      for (size_t k = 0; k < kPageBytes; ++k) {
        page[k] = corpus[at];
        if (++at == corpus.size())
          at = 0;
      }
      std::string path = folder + files[static_cast<size_t>(i)].fileName;
      std::ofstream(path, std::ios::binary)
          .write(page.data(), static_cast<std::streamsize>(page.size()));
      made->paths.push_back(path);
    }
    return made;
  }();
  return *book;
}

// ----- The reference: the scoring rules written out as plainly as possible -----

void Upper(std::string* text) {
  for (char& c : *text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
}

void ReferenceScoreText(std::string text, std::string word, int64_t* weight, int64_t* position) {
  int64_t length = static_cast<int64_t>(text.size());
  int64_t counted = std::clamp<int64_t>(static_cast<int64_t>(word.size()), 1, 10);
  *weight = 0;
  *position = 0;
  if (length == 0)
    return;
  Upper(&text);
  Upper(&word);
  size_t first = text.find(word);
  if (first != std::string::npos) {
    text[first] = ' ';
    size_t next = text.find(word, first);
    int64_t e = next == std::string::npos ? 0 : static_cast<int64_t>(next);
    *position = (length - e) * 1000 / length;
  }
  *weight = counted * counted * 10 + std::min<int64_t>(counted * 100000 / length, 1000);
}

int32_t ReferenceScoreFile(const std::string& path, const std::vector<std::string>& words,
                           const EBookFile& file) {
  if (words.empty())
    return 0;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return 0;
  std::string text(63999, '\0');
  in.read(text.data(), 63999);
  text.resize(static_cast<size_t>(in.gcount()));
  text = text.substr(0, text.find('\0'));
  if (text.empty())
    return 0;
  int64_t total = 0;
  int64_t weights = 0;
  for (const std::string& word : words) {
    int64_t wb, pb, wt, pt, wd, pd, wk, pk;
    ReferenceScoreText(text, word, &wb, &pb);
    ReferenceScoreText(file.title, word, &wt, &pt);
    ReferenceScoreText(file.description, word, &wd, &pd);
    ReferenceScoreText(file.keywords, word, &wk, &pk);
    wk *= 2;
    total += wb * pb + wt * pt + wd * pd + wk * pk;
    weights += wk + wd + wt + wb;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(total * 10 / weights, 0, 10000));
}

// True when SearchBook lists exactly the pages, with exactly the scores, of the reference.
bool SearchMatchesReference() {
  BenchBook& book = Book();
  std::vector<PageEntry> results;
  SearchBook(book.reader, kQuery, false, &results);
  std::map<std::string, int32_t> found;
  for (const PageEntry& entry : results)
    found[entry.path] = entry.score;
  std::map<std::string, int32_t> expected;
  std::vector<std::string> words = SplitQueryWords(kQuery);
  const std::vector<EBookFile>& files = book.reader.book.Files();
  for (size_t i = 0; i < files.size(); ++i) {
    int32_t score = ReferenceScoreFile(book.paths[i], words, files[i]);
    if (score > 0)
      expected[book.paths[i]] = score;
  }
  if (found != expected) {
    std::fprintf(stderr, "SearchBook found %zu pages, the reference %zu; scores differ\n",
                 found.size(), expected.size());
    return false;
  }
  std::fprintf(stderr, "SearchBook agrees with the reference scorer on %zu of %d pages\n",
               found.size(), kPages);
  return true;
}

// ----- The two contenders -----

void BM_SearchBook(benchmark::State& state) {
  BenchBook& book = Book();
  size_t listed = 0;
  for (auto _ : state) {
    std::vector<PageEntry> results;
    SearchBook(book.reader, kQuery, false, &results);
    listed = results.size();
    benchmark::DoNotOptimize(results.data());
  }
  state.counters["pages_listed"] = static_cast<double>(listed);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPages * 63999);
}
BENCHMARK(BM_SearchBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GrepEachWord(benchmark::State& state) {
  BenchBook& book = Book();
  std::vector<std::string> words = SplitQueryWords(kQuery);
  for (auto _ : state) {
    for (const std::string& word : words) {
      if (!bench::GrepCount(word, book.paths)) {
        state.SkipWithError("grep failed");
        return;
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPages *
                          static_cast<int64_t>(kPageBytes) * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_GrepEachWord)->Unit(benchmark::kMillisecond)->UseRealTime();

// ----- Books of real documentation -----

struct DocQueries {
  bench::DocBook doc;
  std::vector<std::string> queries;
};

DocQueries* MakeDocQueries(const char* name, const char* html, const char* package,
                           const char* bookEnv, std::vector<std::string> queries) {
  auto* made = new DocQueries;
  made->doc.name = name;
  made->doc.html = html;
  made->doc.package = package;
  made->doc.bookEnv = bookEnv;
  made->queries = std::move(queries);
  return made;
}

DocQueries& RustDoc() {
  static DocQueries* doc =
      MakeDocQueries("Rust", "/usr/share/doc/rust-doc/html", "rust-doc", "QUIRE_BENCH_RUST_BOOK",
                     {"iterator", "borrow checker", "\"trait object\""});
  return *doc;
}

DocQueries& PythonDoc() {
  static DocQueries* doc = MakeDocQueries("Python", "/usr/share/doc/python3.11/html",
                                          "python3.11-doc", "QUIRE_BENCH_PYTHON_BOOK",
                                          {"dictionary", "context manager", "\"context manager\""});
  return *doc;
}

// The one book loaded at a time: opening another closes the one before.
bench::DocBook* g_openDoc = nullptr;

bench::DocBook* UseDoc(DocQueries& doc, benchmark::State& state) {
  if (g_openDoc != &doc.doc) {
    if (g_openDoc != nullptr)
      bench::CloseDocBook(g_openDoc);
    g_openDoc = &doc.doc;
    bench::OpenDocBook(&doc.doc);
  }
  if (!doc.doc.missing.empty()) {
    state.SkipWithError(doc.doc.missing.c_str());
    return nullptr;
  }
  return &doc.doc;
}

void DocSearch(DocQueries& doc, benchmark::State& state) {
  const std::string& query = doc.queries[static_cast<size_t>(state.range(0))];
  state.SetLabel(query);
  bench::DocBook* book = UseDoc(doc, state);
  if (book == nullptr)
    return;
  for (auto _ : state) {
    std::string page = BuildSearchPage(*book->reader, query, false);
    benchmark::DoNotOptimize(page.data());
  }
  std::vector<PageEntry> results;
  SearchBook(*book->reader, query, false, &results);
  state.counters["pages_listed"] = static_cast<double>(results.size());
}

void DocGrep(DocQueries& doc, benchmark::State& state) {
  const std::string& query = doc.queries[static_cast<size_t>(state.range(0))];
  state.SetLabel(query);
  bench::DocBook* book = UseDoc(doc, state);
  if (book == nullptr)
    return;
  // The words as the user meant them: a quoted part is one word.
  std::vector<std::string> words;
  if (query.size() > 2 && query.front() == '"' && query.back() == '"')
    words.push_back(query.substr(1, query.size() - 2));
  else
    words = SplitQueryWords(query);
  for (auto _ : state) {
    for (const std::string& word : words) {
      if (!bench::GrepCount(word, book->pages)) {
        state.SkipWithError("grep failed");
        return;
      }
    }
  }
}

void BM_RustSearch(benchmark::State& state) {
  DocSearch(RustDoc(), state);
}
void BM_RustGrep(benchmark::State& state) {
  DocGrep(RustDoc(), state);
}
void BM_PythonSearch(benchmark::State& state) {
  DocSearch(PythonDoc(), state);
}
void BM_PythonGrep(benchmark::State& state) {
  DocGrep(PythonDoc(), state);
}
BENCHMARK(BM_RustSearch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RustGrep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PythonSearch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PythonGrep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The slowest of a book's searches and of its greps, in milliseconds; 0 when none ran.
std::pair<double, double> Slowest(const bench::SummaryReporter& reporter, const std::string& name,
                                  const DocQueries& doc) {
  double search = 0, grep = 0;
  for (size_t i = 0; i < doc.queries.size(); ++i) {
    const std::string k = "/" + std::to_string(i);
    search = std::max(search, reporter.Milliseconds("BM_" + name + "Search" + k));
    grep = std::max(grep, reporter.Milliseconds("BM_" + name + "Grep" + k));
  }
  return {search, grep};
}

}  // namespace
}  // namespace quire

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  if (!quire::SearchMatchesReference())
    return 1;
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto* search = reporter.Find("BM_SearchBook");
  const auto* grep = reporter.Find("BM_GrepEachWord");
  if (search != nullptr && grep != nullptr && grep->seconds > 0) {
    std::printf("SearchBook %.1f ms, grep -ciF x3 %.1f ms, ratio %.3f (goal <= 1.0)\n",
                search->seconds * 1e3, grep->seconds * 1e3, search->seconds / grep->seconds);
  }
  for (const auto& [name, doc, goal] : {std::tuple{"Rust", &quire::RustDoc(), 190.0},
                                        std::tuple{"Python", &quire::PythonDoc(), 50.0}}) {
    const auto [searchMs, grepMs] = quire::Slowest(reporter, name, *doc);
    if (searchMs > 0) {
      std::printf("%s book: slowest search %.1f ms (goal <= %.0f ms), grep -ciF %.1f ms\n", name,
                  searchMs, goal, grepMs);
    }
  }
  if (quire::g_openDoc != nullptr)
    quire::bench::CloseDocBook(quire::g_openDoc);
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(quire::Book().tmpdir, ignored);
  return 0;
}
