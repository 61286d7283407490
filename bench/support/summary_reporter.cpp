#include "support/summary_reporter.h"

namespace quire::bench {

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred)
      continue;
    Result result;
    result.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    for (const auto& [name, counter] : run.counters)
      result.counters[name] = counter.value;
    m_results[run.run_name.str()] = std::move(result);
  }
  ConsoleReporter::ReportRuns(runs);
}

const SummaryReporter::Result* SummaryReporter::Find(std::string_view prefix) const {
  for (const auto& [name, result] : m_results) {
    if (std::string_view(name).substr(0, prefix.size()) == prefix)
      return &result;
  }
  return nullptr;
}

double SummaryReporter::Milliseconds(std::string_view prefix) const {
  const Result* result = Find(prefix);
  return result != nullptr ? result->seconds * 1e3 : 0;
}

double SummaryReporter::Counter(std::string_view prefix, const std::string& name) const {
  const Result* result = Find(prefix);
  if (result == nullptr)
    return 0;
  auto it = result->counters.find(name);
  return it == result->counters.end() ? 0 : it->second;
}

}  // namespace quire::bench
