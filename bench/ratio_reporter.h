// A console reporter that also prints each benchmark's time as a ratio to a
// baseline benchmark of the same size measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bench {

// Benchmarks are named "<what>/<size>"; the baseline is "<baseline>/<size>".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::string baseline) : baseline_(std::move(baseline)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the benchmark; otherwise
        // its one run does.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && (run.run_type != Run::RT_Iteration || run.iterations == 0)) continue;
            const std::string name = run.run_name.str();
            if (!times_.count(name)) order_.push_back(name);
            if (median || !medians_.count(name)) times_[name] = run.GetAdjustedRealTime();
            if (median) medians_.insert(name);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nratio to %s of the same size (same run):\n", baseline_.c_str());
        for (const std::string& name : order_) {
            const auto slash = name.find('/');
            if (slash == std::string::npos) continue;
            const auto base = times_.find(baseline_ + name.substr(slash));
            if (base == times_.end() || base->second <= 0) continue;
            std::printf("  %-40s %8.2fx\n", name.c_str(), times_[name] / base->second);
        }
    }

private:
    std::string baseline_;
    std::map<std::string, double> times_;
    std::vector<std::string> order_;
    std::set<std::string> medians_;
};

}  // namespace bench
