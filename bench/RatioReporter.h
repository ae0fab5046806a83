#pragma once
// Console output as usual, plus each benchmark's real time per iteration in
// the benchmark's own time unit, so that main() can print the ratio of the
// reference to the shipped code measured in the same run.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace velmio {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      m_time[run.run_name.function_name] = run.GetAdjustedRealTime();
      // Benchmarks with arguments are also found as "name/argument".
      if (!run.run_name.args.empty())
        m_time[run.run_name.function_name + "/" + run.run_name.args] = run.GetAdjustedRealTime();
    }
  }
  // Real time per iteration of the named benchmark (0 when it did not run);
  // of a benchmark with arguments, the last one run unless asked as "name/argument".
  double TimeOf(const std::string& name) const {
    const auto found = m_time.find(name);
    return found == m_time.end() ? 0.0 : found->second;
  }

 private:
  std::map<std::string, double> m_time;
};

}  // namespace velmio
