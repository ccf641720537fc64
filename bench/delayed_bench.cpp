// What delayed mode costs: a halftone page in delayed mode against the
// same page in direct mode (time per line), and a delayed-mode line a
// million lines after the previous one against one 512 lines after it.
// The ratios are printed after the runs.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "job_params.hpp"
#include "ratio_reporter.hpp"
#include "row_shapes.hpp"
#include "vrelo417.h"

namespace {

using vrelo_test::Bytes;

const int kLines = 256;
const size_t kRowBytes = 720;  // 5760 pixels at 1 bit per pixel

// Six colours of halftone, each from its own seed.
struct HalftonePage {
    std::array<std::vector<Bytes>, VRELO_COLOURS> rows;

    HalftonePage() {
        for (int c = 0; c < VRELO_COLOURS; ++c)
            rows[c] = vrelo_test::halftone_rows(kRowBytes, kLines, 1 + c);
    }

    // Line n of the page with the colours of `mask` (bit c: colour c),
    // each row cut to its first `bytes`.
    RasterLine line(int32_t number, int n, unsigned mask = 0x3F,
                    size_t bytes = kRowBytes) const {
        RasterLine line{};
        line.lineNumber = number;
        for (int c = 0; c < VRELO_COLOURS; ++c)
            if (mask & (1u << c))
                line.planes[c] = {rows[c][n].data(), int16_t(bytes * 8), 0, 0, 0};
        return line;
    }
};

// A configured job, closed when the object goes.
class BenchJob {
public:
    explicit BenchJob(bool delayed) {
        vrelo_test::JobShape shape;
        shape.delayed = delayed;
        const OutputParam param = vrelo_test::param_for(shape);
        ok_ = OutputOpen(&job_) == VRELO_OPEN_OK && OutputInit(&job_, &param) == VRELO_OK;
    }
    ~BenchJob() { OutputClose(&job_); }
    BenchJob(const BenchJob&) = delete;
    BenchJob& operator=(const BenchJob&) = delete;

    bool ok() const { return ok_; }
    bool new_page() { return OutputInitPart(&job_, nullptr) == VRELO_OK; }
    // A producing call whose list the host would send, then its completion.
    bool produce(const RasterLine& line) {
        OutList* out = nullptr;
        return completed(OutputProduce(&job_, &line, &out), out);
    }
    bool flush() {
        OutList* out = nullptr;
        return completed(OutputFlush(&job_, &out), out);
    }

private:
    bool completed(int32_t status, OutList* out) {
        benchmark::DoNotOptimize(out);
        return status == VRELO_OK && OutputComplete(&job_) == VRELO_OK;
    }

    MasterWork* job_ = nullptr;
    bool ok_ = false;
};

const HalftonePage& page() {
    static const HalftonePage halftone;
    return halftone;
}

void run_page(benchmark::State& state, bool delayed) {
    BenchJob job(delayed);
    bool ok = job.ok();
    for (auto _ : state) {
        ok = ok && job.new_page();
        for (int n = 0; n < kLines; ++n) ok = ok && job.produce(page().line(n, n));
        ok = ok && job.flush();
    }
    if (!ok) state.SkipWithError("a job call failed");
    state.counters["per_line"] = benchmark::Counter(
        double(state.iterations()) * kLines,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// A line with all six colours, then a black row `gap` lines on: the second
// call sends every delayed row of the first and the advance to its own.
// Short rows (the ink of the halftone's middle) keep compression from
// hiding the cost of the walk.
void run_gap(benchmark::State& state, int32_t gap) {
    BenchJob job(true);
    bool ok = job.ok();
    const size_t shortRow = kRowBytes / 2;
    const RasterLine first = page().line(0, 0, 0x3F, shortRow);
    const RasterLine far = page().line(gap, 1, 0x01, shortRow);
    for (auto _ : state) {
        ok = ok && job.new_page() && job.produce(first) && job.produce(far);
    }
    if (!ok) state.SkipWithError("a job call failed");
}

}  // namespace

int main(int argc, char** argv) {
    page();
    benchmark::RegisterBenchmark("page/direct", run_page, false);
    benchmark::RegisterBenchmark("page/delayed", run_page, true);
    benchmark::RegisterBenchmark("gap/512", run_gap, 512);
    benchmark::RegisterBenchmark("gap/1000000", run_gap, 1000000);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    vrelo_bench::RatioReporter reporter(
        benchmark::CreateDefaultDisplayReporter(),
        {{"delayed/direct time per line", "page/delayed", "page/direct", ""},
         {"gap 1000000/512 time (a line, then the gap)", "gap/1000000", "gap/512", ""}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
