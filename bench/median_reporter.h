#pragma once
// The console table as usual, keeping the median of each repeated benchmark
// ("BM_Name" or "BM_Name/args") for the verdicts printed after it.
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {

class Median_Reporter : public benchmark::ConsoleReporter {
  public:
    Median_Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred || r.aggregate_name != "median") continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            medians[name] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // In the benchmark's own unit; 0 when it did not run.
    double Median(const std::string& name) const {
        const auto it = medians.find(name);
        return it == medians.end() ? 0 : it->second;
    }

  private:
    std::map<std::string, double> medians;
};

} // namespace bench
