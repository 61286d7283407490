// The book search against grep: a book of 2,000 searchable pages of 64 KB of real HTML, one
// three-word case-insensitive query. SearchBook runs side by side with `grep -ciF`, run once
// per word over the same page files; the program prints the ratio of the two times (goal:
// at most 1.0) and checks SearchBook's scores against a plain reference scorer first.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "book/cebook.h"
#include "book/page_store.h"
#include "pages/search.h"
#include "support/bench_text.h"
#include "support/summary_reporter.h"

extern char** environ;

namespace quire {
namespace {

constexpr int kPages = 2000;
constexpr size_t kPageBytes = 64 * 1024;
constexpr char kQuery[] = "function Library closure";

// The book and its folder, made once for the whole program.
struct BenchBook {
  std::string tmpdir;
  std::vector<std::string> paths;
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
    CEBook::Instance().SetRecordsForTesting(settings, files, {});

    const std::string corpus = LoadCorpus();
    const std::string folder = BookFolder();
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
  SearchBook(kQuery, false, &results);
  std::map<std::string, int32_t> found;
  for (const PageEntry& entry : results)
    found[entry.path] = entry.score;
  std::map<std::string, int32_t> expected;
  std::vector<std::string> words = SplitQueryWords(kQuery);
  const std::vector<EBookFile>& files = CEBook::Instance().Files();
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
  Book();
  size_t listed = 0;
  for (auto _ : state) {
    std::vector<PageEntry> results;
    SearchBook(kQuery, false, &results);
    listed = results.size();
    benchmark::DoNotOptimize(results.data());
  }
  state.counters["pages_listed"] = static_cast<double>(listed);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPages * 63999);
}
BENCHMARK(BM_SearchBook)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs `grep -ciF word <every page>` with its output thrown away; the exit status only.
int RunGrep(const std::string& word, const std::vector<std::string>& paths) {
  std::vector<char*> argv;
  std::string grep = "grep", flags = "-ciF", dashes = "--";
  argv.push_back(grep.data());
  argv.push_back(flags.data());
  argv.push_back(dashes.data());
  std::string pattern = word;
  argv.push_back(pattern.data());
  for (const std::string& path : paths)
    argv.push_back(const_cast<char*>(path.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, "grep", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_GrepEachWord(benchmark::State& state) {
  BenchBook& book = Book();
  std::vector<std::string> words = SplitQueryWords(kQuery);
  for (auto _ : state) {
    for (const std::string& word : words) {
      if (RunGrep(word, book.paths) > 1) {
        state.SkipWithError("grep failed");
        return;
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPages *
                          static_cast<int64_t>(kPageBytes) * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_GrepEachWord)->Unit(benchmark::kMillisecond)->UseRealTime();

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
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(quire::Book().tmpdir, ignored);
  return 0;
}
