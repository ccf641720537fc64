#include "goal_table.hpp"

#include <algorithm>
#include <cstdio>

namespace vrelo_bench {
namespace {

Target this_target() {
#if defined(__x86_64__)
    return Target::kX8664;
#elif defined(__i386__)
    return Target::kI386;
#else
    return Target::kAny;
#endif
}

std::string number(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string goal_text(const Goal& goal, const std::string& unit) {
    if (!goal.set) return "";
    std::string text = (goal.atLeast ? ">= " : "<= ") + number(goal.bound, "%g") + unit;
    if (goal.target == Target::kX8664) text += " (x86-64)";
    if (goal.target == Target::kI386) text += " (i386)";
    return text;
}

std::string verdict(const Goal& goal, double figure) {
    if (!goal.set) return "";
    if (goal.target != Target::kAny && goal.target != this_target()) return "-";
    const bool holds = goal.atLeast ? figure >= goal.bound : figure <= goal.bound;
    return holds ? "holds" : "MISSED";
}

}  // namespace

const char* target_name() {
    return this_target() == Target::kX8664 ? "x86-64" : "i386";
}

Goal at_least(double bound, Target target) {
    return {target, true, bound, true};
}
Goal at_most(double bound, Target target) {
    return {target, false, bound, true};
}
Goal no_goal() {
    return {};
}

void GoalTable::add(const std::string& measure, double figure, const std::string& unit,
                    const std::string& beside, const Goal& goal) {
    const char* format = figure >= 100 ? "%.0f" : figure >= 10 ? "%.1f" : "%.2f";
    rows_.push_back({measure, number(figure, format) + unit, beside, goal_text(goal, unit),
                     verdict(goal, figure)});
}

void GoalTable::print() const {
    size_t widths[5] = {7, 6, 6, 4, 7};
    for (const Row& r : rows_) {
        widths[0] = std::max(widths[0], r.measure.size());
        widths[1] = std::max(widths[1], r.figure.size());
        widths[2] = std::max(widths[2], r.beside.size());
        widths[3] = std::max(widths[3], r.goal.size());
    }
    std::printf("\n%s (%s)\n\n", title_.c_str(), target_name());
    const auto line = [&](const std::string& a, const std::string& b, const std::string& c,
                          const std::string& d, const std::string& e) {
        std::printf("| %-*s | %*s | %-*s | %-*s | %-*s |\n", static_cast<int>(widths[0]), a.c_str(),
                    static_cast<int>(widths[1]), b.c_str(), static_cast<int>(widths[2]), c.c_str(),
                    static_cast<int>(widths[3]), d.c_str(), static_cast<int>(widths[4]), e.c_str());
    };
    line("measure", "figure", "beside", "goal", "verdict");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(widths[0] + 2, '-').c_str(),
                std::string(widths[1] + 2, '-').c_str(), std::string(widths[2] + 2, '-').c_str(),
                std::string(widths[3] + 2, '-').c_str(), std::string(widths[4] + 2, '-').c_str());
    for (const Row& r : rows_) line(r.measure, r.figure, r.beside, r.goal, r.verdict);
    std::fflush(stdout);
}

std::string rate_text(double bytesPerSecond) {
    return number(bytesPerSecond / 1e6, "%.0f MB/s");
}

}  // namespace vrelo_bench
