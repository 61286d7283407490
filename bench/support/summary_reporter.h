// The console reporter every benchmark program uses, which also keeps each benchmark's
// result so that main() can print a comparison line once all have run.
#ifndef QUIRE_BENCH_SUPPORT_SUMMARY_REPORTER_H_
#define QUIRE_BENCH_SUPPORT_SUMMARY_REPORTER_H_

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quire::bench {

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  // What one benchmark gave: with repetitions, the median stands for it.
  struct Result {
    double seconds = 0;                      // real time per iteration
    std::map<std::string, double> counters;  // bytes_per_second and the benchmark's own
  };

  void ReportRuns(const std::vector<Run>& runs) override;

  // The result of the first benchmark (in name order) whose name begins with `prefix`;
  // null when none ran, or when it was skipped with an error.
  const Result* Find(std::string_view prefix) const;
  // Its real time per iteration in milliseconds, or 0 when it did not run.
  double Milliseconds(std::string_view prefix) const;
  // Its counter `name`, or 0.
  double Counter(std::string_view prefix, const std::string& name) const;

 private:
  std::map<std::string, Result> m_results;
};

}  // namespace quire::bench

#endif  // QUIRE_BENCH_SUPPORT_SUMMARY_REPORTER_H_
