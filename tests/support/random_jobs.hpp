// Random jobs for the checks that run the whole API against the models:
// pages of random lines, numbered as hosts number them (close together,
// repeated, far apart, at the edge of the advance bound), ended in every
// way the calls allow (nothing, flushes and form feeds in every order,
// form feeds before, at and far beyond where the walks stand), pages
// without lines, lines after a page end, and pages started while a list
// is still pending.
#ifndef VRELO_TEST_RANDOM_JOBS_HPP
#define VRELO_TEST_RANDOM_JOBS_HPP

#include <cstdint>
#include <random>
#include <vector>

#include "job_params.hpp"
#include "page_generator.hpp"

namespace vrelo_test {

struct RandomCall {
    enum Kind { kLine, kFlush, kFormFeed, kNewPage } kind = kLine;
    PageLine line;  // kLine
    // kFormFeed: the end line, counted from the line step where the walks
    // of the page stand (the runner knows it): below 0 behind them, 0 right
    // there, 336 at the end of the longest delay.
    int64_t endOffset = 0;
    // The call's list is sent but not completed: the page start that
    // follows completes it.
    bool leftPending = false;
};

// The calls of a job after it is configured; each page begins with
// kNewPage. `counter` numbers the pages of every job made with it, so
// that each way of ending a page comes round in turn.
std::vector<RandomCall> random_job(std::mt19937& rng, const JobShape& shape, int pages,
                                   int* counter);

}  // namespace vrelo_test

#endif
