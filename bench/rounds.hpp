// Timing in interleaved rounds: each round runs every case once, one after
// another, so the drifts of a shared machine touch all cases alike. A
// case's figure is its median over the rounds; a comparison is the median
// of the per-round ratios, each taken between runs seconds apart.
#ifndef VRELO_BENCH_ROUNDS_HPP
#define VRELO_BENCH_ROUNDS_HPP

#include <functional>
#include <string>
#include <vector>

namespace vrelo_bench {

// What a benchmark run is asked for on its command line.
struct RunOptions {
    int rounds = 11;
    double slice = 0.05;  // seconds each case runs per round, at least
    bool quick = false;   // --quick: one short round on small data (smoke test)
    int lines = 0;        // --lines N: pages of N lines (0: whole pages)
};

// Reads --rounds N, --slice S, --quick and --lines N; exits on anything
// else.
RunOptions parse_options(int argc, char** argv);

class Rounds {
  public:
    explicit Rounds(const RunOptions& options) : options_(options) {}

    // A case: one call of run is one unit (a pass over rows, a page).
    void add(const std::string& name, std::function<void()> run);
    void run_all();

    // Median seconds per unit.
    double seconds(const std::string& name) const;
    // Median over rounds of seconds(slower) / seconds(faster).
    double ratio(const std::string& slower, const std::string& faster) const;

  private:
    struct Case {
        std::string name;
        std::function<void()> run;
        int repeats = 1;
        std::vector<double> seconds;  // per unit, one per round
    };
    const Case& find(const std::string& name) const;

    RunOptions options_;
    std::vector<Case> cases_;
};

double median(std::vector<double> values);

}  // namespace vrelo_bench

#endif
