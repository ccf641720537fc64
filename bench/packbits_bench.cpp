// Throughput of packbits on halftone-like and random rows, beside memcpy of
// the same bytes; after the runs it prints the packbits/memcpy throughput
// ratio of each data set.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "ratio_reporter.hpp"
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
    std::vector<vrelo_bench::Comparison> comparisons;
    for (const DataSet& set : sets)
        comparisons.push_back({"packbits/memcpy throughput " + set.name,
                               "packbits/" + set.name, "memcpy/" + set.name,
                               "bytes_per_second"});
    vrelo_bench::RatioReporter reporter(benchmark::CreateDefaultDisplayReporter(),
                                        comparisons);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
