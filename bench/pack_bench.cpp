// Building a book of 2,000 pages (about 100 MB of HTML) with quire-pack, beside
// `zip -6 -r` of the same folder. Both run as child processes and are timed in wall-clock
// time; after the runs a summary prints both sizes and the size and time ratios.
//
// quire-pack and the reader are found beside this program in the build tree
// (../tools/quire-pack, ../quire), or through QUIRE_PACK and QUIRE_READER.
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
#include <random>
#include <string>
#include <vector>

#include "support/bench_text.h"
#include "support/summary_reporter.h"

extern char** environ;

namespace {

constexpr int kPages = 2000;
constexpr size_t kPageSize = 50 * 1000;

namespace fs = std::filesystem;

struct Fixture {
  std::string base;    // everything of this run lives here
  std::string source;  // the book's source folder
  std::string book;
  std::string zip;
  std::string pack;
  std::string reader;
  uint64_t totalBytes = 0;
};

std::string BesideThisProgram(const char* env, const std::string& relative) {
  if (const char* path = std::getenv(env); path && *path)
    return path;
  return (fs::read_symlink("/proc/self/exe").parent_path() / relative).lexically_normal();
}

// Runs a program with its output discarded; true when it exited with 0.
bool Run(std::vector<std::string> args, const std::string& dir = "") {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (!dir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0)
    return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A page as a site generator writes it: a head with meta tags and a style sheet link, a
// navigation bar, headings, paragraphs with links and emphasis, now and then a table;
// words drawn with a skew so that common words repeat as in real text.
std::string MakePage(int index, const std::vector<std::string>& words, std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  auto word = [&]() -> const std::string& {
    double x = u(rng);
    return words[static_cast<size_t>(x * x * x * static_cast<double>(words.size()))];
  };
  std::string n = std::to_string(index);
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Chapter " + n +
      ": " + word() + " " + word() + "</title>\n<meta name=\"description\" content=\"" + word() +
      " " + word() + " " + word() + "\">\n<meta name=\"keywords\" content=\"" + word() + ", " +
      word() +
      "\">\n<link rel=\"stylesheet\" href=\"book.css\">\n</head>\n"
      "<body>\n<nav class=\"top\"><a href=\"index.html\">Home</a> | <a href=\"page" +
      std::to_string(index > 1 ? index - 1 : 1) + ".html\">Previous</a> | <a href=\"page" +
      std::to_string(index + 1) + ".html\">Next</a></nav>\n<main>\n<h1>Chapter " + n + "</h1>\n";
  while (page.size() < kPageSize) {
    if (rng() % 6 == 0)
      page += "<h2>" + word() + " " + word() + "</h2>\n";
    if (rng() % 15 == 0) {
      page += "<table class=\"data\">\n";
      for (int r = 0; r < 5; ++r) {
        page += "  <tr><td>" + word() + "</td><td>" + std::to_string(rng() % 1000) + "</td><td>" +
                word() + "</td></tr>\n";
      }
      page += "</table>\n";
    }
    page += "<p>";
    for (int w = 0; w < 60; ++w) {
      unsigned r = rng() % 40;
      if (r == 0) {
        page += "<a href=\"page" + std::to_string(rng() % kPages) + ".html\">" + word() + "</a> ";
      } else if (r == 1) {
        page += "<em>" + word() + "</em> ";
      } else {
        page += word() + (rng() % 12 == 0 ? ". " : " ");
      }
    }
    page += "</p>\n";
  }
  return page + "</main>\n<footer>Generated page " + n + "</footer>\n</body>\n</html>\n";
}

Fixture& TheFixture() {
  static Fixture* fixture = [] {
    auto* f = new Fixture;
    f->base = quire::bench::MakeScratchFolder("packbench");
    f->source = f->base + "/source";
    f->book = f->base + "/book";
    f->zip = f->base + "/source.zip";
    f->pack = BesideThisProgram("QUIRE_PACK", "../tools/quire-pack");
    f->reader = BesideThisProgram("QUIRE_READER", "../quire");
    fs::create_directories(f->source);
    std::mt19937 rng(2026);
    const std::vector<std::string> words = quire::bench::SyllableVocabulary(rng);
    for (int i = 0; i < kPages; ++i) {
      std::string fileName = i == 0 ? "index.html" : "page" + std::to_string(i) + ".html";
      std::string page = MakePage(i, words, rng);
      f->totalBytes += page.size();
      std::ofstream(f->source + "/" + fileName, std::ios::binary) << page;
    }
    std::ofstream(f->source + "/book.css") << "body { font-family: serif; }\n";
    std::ofstream(f->source + "/book.ini") << "[book]\ntitle = Pack benchmark\n";
    std::fprintf(stderr, "%d pages, %.1f MB of HTML in %s\n", kPages,
                 static_cast<double>(f->totalBytes) / 1e6, f->source.c_str());
    return f;
  }();
  return *fixture;
}

void BM_QuirePackBuild(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    if (!Run({f.pack, "build", f.source, "-o", f.book, "--reader", f.reader, "--quiet"})) {
      state.SkipWithError("quire-pack build failed");
      return;
    }
  }
  const double reader = static_cast<double>(fs::file_size(f.reader));
  const double payload = static_cast<double>(fs::file_size(f.book)) - reader;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalBytes));
  state.counters["payload_MB"] = payload / 1e6;
  state.counters["ratio"] = payload / static_cast<double>(f.totalBytes);
}

void BM_Zip6(benchmark::State& state) {
  Fixture& f = TheFixture();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(f.zip);  // zip adds to an existing archive
    state.ResumeTiming();
    if (!Run({"zip", "-6", "-r", "-q", f.zip, "."}, f.source)) {
      state.SkipWithError("zip failed (is it installed?)");
      return;
    }
  }
  const double size = static_cast<double>(fs::file_size(f.zip));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.totalBytes));
  state.counters["zip_MB"] = size / 1e6;
  state.counters["ratio"] = size / static_cast<double>(f.totalBytes);
}

BENCHMARK(BM_QuirePackBuild)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Zip6)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto* pack = reporter.Find("BM_QuirePackBuild");
  const auto* zip = reporter.Find("BM_Zip6");
  const double packTime = pack != nullptr ? pack->seconds * 1e3 : 0;
  const double zipTime = zip != nullptr ? zip->seconds * 1e3 : 0;
  const double packSize = reporter.Counter("BM_QuirePackBuild", "payload_MB") * 1e6;
  const double zipSize = reporter.Counter("BM_Zip6", "zip_MB") * 1e6;
  if (packTime > 0 && zipTime > 0 && packSize > 0 && zipSize > 0) {
    std::printf("\n%-22s %12s %12s\n", "", "quire-pack", "zip -6 -r");
    std::printf("%-22s %12.0f %12.0f\n", "time (ms)", packTime, zipTime);
    std::printf("%-22s %12.2f %12.2f\n", "size (MB, no reader)", packSize / 1e6, zipSize / 1e6);
    std::printf("%-22s %12.3f %12.3f\n", "size / source",
                packSize / static_cast<double>(TheFixture().totalBytes),
                zipSize / static_cast<double>(TheFixture().totalBytes));
    std::printf("quire-pack / zip: size %.2fx, time %.2fx\n", packSize / zipSize,
                packTime / zipTime);
  }
  std::error_code ec;
  if (!TheFixture().base.empty())
    fs::remove_all(TheFixture().base, ec);
  return 0;
}
