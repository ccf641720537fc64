#include "rounds.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vrelo_bench {
namespace {

double seconds_for(const std::function<void()>& run, int repeats) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i) run();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / repeats;
}

[[noreturn]] void usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--rounds N] [--slice SECONDS] [--lines N] [--quick]\n",
                 program);
    std::exit(2);
}

}  // namespace

RunOptions parse_options(int argc, char** argv) {
    RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
            options.rounds = 1;
            options.slice = 0;
        } else if (std::strcmp(argv[i], "--rounds") == 0 && valued) {
            options.rounds = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--slice") == 0 && valued) {
            options.slice = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--lines") == 0 && valued) {
            options.lines = std::max(1, std::atoi(argv[++i]));
        } else {
            usage(argv[0]);
        }
    }
    return options;
}

void Rounds::add(const std::string& name, std::function<void()> run) {
    cases_.push_back({name, std::move(run), 1, {}});
}

void Rounds::run_all() {
    // A first run warms caches and sizes each case's slice.
    for (Case& c : cases_) {
        const double once = seconds_for(c.run, 1);
        c.repeats = once > 0 ? std::max(1, static_cast<int>(options_.slice / once)) : 1;
    }
    for (int round = 0; round < options_.rounds; ++round)
        for (Case& c : cases_) c.seconds.push_back(seconds_for(c.run, c.repeats));
}

const Rounds::Case& Rounds::find(const std::string& name) const {
    for (const Case& c : cases_)
        if (c.name == name) return c;
    std::fprintf(stderr, "no benchmark case %s\n", name.c_str());
    std::abort();
}

double Rounds::seconds(const std::string& name) const {
    return median(find(name).seconds);
}

double Rounds::ratio(const std::string& slower, const std::string& faster) const {
    const Case& a = find(slower);
    const Case& b = find(faster);
    std::vector<double> ratios;
    for (size_t i = 0; i < a.seconds.size() && i < b.seconds.size(); ++i)
        ratios.push_back(a.seconds[i] / b.seconds[i]);
    return median(ratios);
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace vrelo_bench
