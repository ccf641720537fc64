// The one table a benchmark prints: each measured figure beside the
// baseline it is compared with, the goal it answers to and whether the
// goal holds on this target.
#ifndef VRELO_BENCH_GOAL_TABLE_HPP
#define VRELO_BENCH_GOAL_TABLE_HPP

#include <string>
#include <vector>

namespace vrelo_bench {

// Which build a goal is set for; the other build reports the figure only.
enum class Target { kAny, kX8664, kI386 };
const char* target_name();  // of this build

// A goal on a figure: at least or at most a bound.
struct Goal {
    Target target = Target::kAny;
    bool atLeast = true;
    double bound = 0;
    bool set = false;
};
Goal at_least(double bound, Target target = Target::kAny);
Goal at_most(double bound, Target target = Target::kAny);
Goal no_goal();

class GoalTable {
  public:
    explicit GoalTable(std::string title) : title_(std::move(title)) {}
    // figure is printed with unit ("x", "pages/s", "KiB", ...); beside
    // says what it was compared with.
    void add(const std::string& measure, double figure, const std::string& unit,
             const std::string& beside, const Goal& goal);
    void print() const;

  private:
    struct Row {
        std::string measure, figure, beside, goal, verdict;
    };
    std::string title_;
    std::vector<Row> rows_;
};

// "1234 MB/s" for bytes per second.
std::string rate_text(double bytesPerSecond);

}  // namespace vrelo_bench

#endif
