// LZ decode throughput (MB/s of output) beside zlib's inflate on the same input, packed
// at zlib's default level: a real HTML corpus from this machine's documentation, and
// incompressible random bytes. After the runs a summary prints the speed ratios and the
// packed sizes.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "book/lz.h"
#include "support/bench_text.h"
#include "support/summary_reporter.h"

namespace {

constexpr size_t kCorpusLimit = 16u << 20;

// HTML documentation found on this machine; generated text when there is none.
std::string& HtmlCorpus() {
  static std::string* corpus = [] {
    size_t files = 0;
    auto* text = new std::string(quire::bench::MachineHtmlCorpus(kCorpusLimit, &files));
    if (text->size() < (1u << 20)) {
      std::mt19937 rng(42);
      while (text->size() < kCorpusLimit) {
        *text += "<p>Paragraph " + std::to_string(rng() % 1000) +
                 " of a generated book, with <a href=\"page" + std::to_string(rng() % 50) +
                 ".html\">a link</a> and some words.</p>\n";
      }
      text->resize(kCorpusLimit);
    }
    std::fprintf(stderr, "html corpus: %zu files, %zu bytes\n", files, text->size());
    return text;
  }();
  return *corpus;
}

std::string& RandomData() {
  static std::string* data = [] {
    auto* bytes = new std::string(4u << 20, '\0');
    std::mt19937_64 rng(7);
    for (char& c : *bytes)
      c = static_cast<char>(rng());
    return bytes;
  }();
  return *data;
}

const std::string& Input(int which) {
  return which == 0 ? HtmlCorpus() : RandomData();
}
const char* InputName(int which) {
  return which == 0 ? "html" : "random";
}

// Packed forms, made once per input.
const std::string& LzPacked(int which) {
  static std::map<int, std::string> packed;
  auto it = packed.find(which);
  if (it == packed.end())
    it = packed.emplace(which, quire::LzPack(Input(which))).first;
  return it->second;
}

const std::string& ZlibPacked(int which) {
  static std::map<int, std::string> packed;
  auto it = packed.find(which);
  if (it == packed.end()) {
    const std::string& in = Input(which);
    uLongf size = compressBound(in.size());
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(in.data()), in.size(),
                  Z_DEFAULT_COMPRESSION) != Z_OK) {
      out.clear();  // the benchmark refuses to time an empty stream
    } else {
      out.resize(size);
    }
    it = packed.emplace(which, std::move(out)).first;
  }
  return it->second;
}

void BM_LzDecode(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& packed = LzPacked(which);
  std::string out;
  out.reserve(Input(which).size());
  for (auto _ : state) {
    if (!quire::LzUnpack(packed, &out)) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(out.data());
  }
  if (out != Input(which)) {
    state.SkipWithError("round trip differs");
    return;
  }
  state.SetLabel(InputName(which));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Input(which).size()));
  state.counters["packed_ratio"] = static_cast<double>(packed.size()) / Input(which).size();
}

void BM_ZlibInflate(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& packed = ZlibPacked(which);
  if (packed.empty()) {
    state.SkipWithError("compress2 failed");
    return;
  }
  std::string out(Input(which).size(), '\0');
  uLongf size = 0;
  for (auto _ : state) {
    size = out.size();
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                   reinterpret_cast<const Bytef*>(packed.data()), packed.size()) != Z_OK) {
      state.SkipWithError("inflate failed");
      return;
    }
    benchmark::DoNotOptimize(out.data());
  }
  if (size != out.size() || out != Input(which)) {
    state.SkipWithError("inflate round trip differs");
    return;
  }
  state.SetLabel(InputName(which));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Input(which).size()));
  state.counters["packed_ratio"] = static_cast<double>(packed.size()) / Input(which).size();
}

void BM_LzPack(benchmark::State& state) {
  const std::string& in = HtmlCorpus();
  for (auto _ : state)
    benchmark::DoNotOptimize(quire::LzPack(in));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

BENCHMARK(BM_LzDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzPack)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  quire::bench::SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (int which : {0, 1}) {
    const std::string arg = "/" + std::to_string(which);
    const double lz = reporter.Counter("BM_LzDecode" + arg, "bytes_per_second");
    const double zl = reporter.Counter("BM_ZlibInflate" + arg, "bytes_per_second");
    if (lz <= 0 || zl <= 0)
      continue;
    std::printf(
        "%-6s  lz decode %8.1f MB/s  inflate %8.1f MB/s  lz/inflate %.2fx  "
        "packed size lz %.3f zlib %.3f\n",
        InputName(which), lz / 1e6, zl / 1e6, lz / zl,
        static_cast<double>(LzPacked(which).size()) / Input(which).size(),
        static_cast<double>(ZlibPacked(which).size()) / Input(which).size());
  }
  benchmark::Shutdown();
  return 0;
}
