// Throughput of packbits on halftone-like and random rows, beside memcpy of
// the same bytes; after the runs it prints the packbits/memcpy throughput
// ratio of each data set.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "row_shapes.hpp"
#include "vrelo417.h"

namespace {

using vrelo_test::Bytes;

struct DataSet {
    std::string name;
    std::vector<Bytes> rows;
};

const size_t kRowsPerSet = 32;

std::vector<DataSet> make_data_sets() {
    std::vector<DataSet> sets;
    for (size_t width : {1440, 2880})
        sets.push_back({"halftone_" + std::to_string(width),
                        vrelo_test::halftone_rows(width, kRowsPerSet, 1)});
    vrelo_test::Rng rng(2);
    for (size_t width : {1440, 2880}) {
        DataSet set{"random_" + std::to_string(width), {}};
        for (size_t i = 0; i < kRowsPerSet; ++i)
            set.rows.push_back(vrelo_test::random_row(rng, width));
        sets.push_back(set);
    }
    return sets;
}

// Copies or compresses one row into out and returns the bytes written.
using RowOperation = size_t (*)(uint8_t* out, const Bytes& row);

size_t compress_row(uint8_t* out, const Bytes& row) {
    return static_cast<size_t>(
        packbits(out, row.data(), static_cast<int32_t>(row.size())));
}

size_t copy_row(uint8_t* out, const Bytes& row) {
    memcpy(out, row.data(), row.size());
    return row.size();
}

void run_rows(benchmark::State& state, const DataSet* set, RowOperation op) {
    Bytes out(2 * set->rows.front().size());  // above the PackBits bound
    size_t next = 0;
    int64_t read = 0;
    int64_t written = 0;
    for (auto _ : state) {
        const Bytes& row = set->rows[next];
        next = (next + 1) % set->rows.size();
        const size_t size = op(out.data(), row);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        read += static_cast<int64_t>(row.size());
        written += static_cast<int64_t>(size);
    }
    state.SetBytesProcessed(read);
    state.counters["out/in"] = read == 0 ? 0.0 : double(written) / double(read);
}

// Passes every report on to the usual display (format and colour as the
// command line asks), then adds one line per data set comparing the two.
// With repetitions the median is compared (it is reported after the single
// runs and replaces them).
class RatioReporter : public benchmark::BenchmarkReporter {
public:
    explicit RatioReporter(benchmark::BenchmarkReporter* display)
        : display_(display) {}

    bool ReportContext(const Context& context) override {
        return display_->ReportContext(context);
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        display_->ReportRuns(runs);
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration;
            const bool median = run.aggregate_name == "median";
            if (run.error_occurred || !(single || median)) continue;
            const std::string& name = run.run_name.function_name;
            const size_t slash = name.find('/');
            const auto rate = run.counters.find("bytes_per_second");
            if (slash == std::string::npos || rate == run.counters.end()) continue;
            rates_[name.substr(slash + 1)][name.substr(0, slash)] = rate->second;
        }
    }

    void Finalize() override {
        display_->Finalize();
        // Machine-readable formats keep their stdout clean.
        const bool console =
            dynamic_cast<benchmark::ConsoleReporter*>(display_) != nullptr;
        std::ostream& out = console ? display_->GetOutputStream()
                                    : display_->GetErrorStream();
        const double mebibyte = 1024.0 * 1024.0;
        for (auto& [set, by_operation] : rates_) {
            const double packed = by_operation["packbits"];
            const double copied = by_operation["memcpy"];
            if (packed <= 0 || copied <= 0) continue;
            char line[160];
            std::snprintf(line, sizeof line,
                          "packbits/memcpy throughput %-14s %.4f  "
                          "(%.0f MiB/s vs %.0f MiB/s)\n",
                          set.c_str(), packed / copied, packed / mebibyte,
                          copied / mebibyte);
            out << line;
        }
    }

private:
    benchmark::BenchmarkReporter* display_;
    std::map<std::string, std::map<std::string, double>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    static const std::vector<DataSet> sets = make_data_sets();
    for (const DataSet& set : sets) {
        benchmark::RegisterBenchmark(("packbits/" + set.name).c_str(), run_rows,
                                     &set, compress_row);
        benchmark::RegisterBenchmark(("memcpy/" + set.name).c_str(), run_rows,
                                     &set, copy_row);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(benchmark::CreateDefaultDisplayReporter());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
