// A benchmark reporter that passes every report on to the usual display
// and, once all have run, prints one summary line per pair of benchmarks
// compared: the ratio of a counter of the first to the same counter of the
// second, or of their times per iteration. With repetitions the medians
// are compared (they are reported after the single runs and replace them).
#ifndef VRELO_BENCH_RATIO_REPORTER_HPP
#define VRELO_BENCH_RATIO_REPORTER_HPP

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace vrelo_bench {

struct Comparison {
    std::string label;
    std::string first;    // benchmark names
    std::string second;
    std::string counter;  // empty: real time per iteration
};

class RatioReporter : public benchmark::BenchmarkReporter {
public:
    RatioReporter(benchmark::BenchmarkReporter* display,
                  std::vector<Comparison> comparisons)
        : display_(display), comparisons_(std::move(comparisons)) {}

    bool ReportContext(const Context& context) override {
        return display_->ReportContext(context);
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        display_->ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration;
            const bool median = run.aggregate_name == "median";
            if (run.error_occurred || !(single || median)) continue;
            std::map<std::string, double>& values = values_[run.run_name.function_name];
            values[""] = run.GetAdjustedRealTime();
            for (const auto& [name, counter] : run.counters) values[name] = counter;
        }
    }

    void Finalize() override {
        display_->Finalize();
        // Machine-readable formats keep their stdout clean.
        const bool console =
            dynamic_cast<benchmark::ConsoleReporter*>(display_) != nullptr;
        std::ostream& out = console ? display_->GetOutputStream()
                                    : display_->GetErrorStream();
        for (const Comparison& c : comparisons_) {
            const double first = value(c.first, c.counter);
            const double second = value(c.second, c.counter);
            if (first <= 0 || second <= 0) continue;
            char line[200];
            std::snprintf(line, sizeof line, "%-44s %.4f  (%.4g vs %.4g)\n",
                          c.label.c_str(), first / second, first, second);
            out << line;
        }
    }

private:
    double value(const std::string& benchmark, const std::string& counter) {
        const auto found = values_.find(benchmark);
        if (found == values_.end()) return 0;
        const auto at = found->second.find(counter);
        return at == found->second.end() ? 0 : at->second;
    }

    benchmark::BenchmarkReporter* display_;
    std::vector<Comparison> comparisons_;
    std::map<std::string, std::map<std::string, double>> values_;
};

}  // namespace vrelo_bench

#endif
