// Jobs driven at once from several threads answer exactly what each
// answers alone: all state is the job's own. Runs against the product
// library, the one hosts load; the ThreadSanitizer build reports any
// shared state the library touches.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "job_script.hpp"

namespace {

using vrelo_test::CallResult;
using vrelo_test::JobScript;
using vrelo_test::JobShape;

// Every kind of job: both modes, both pixel depths, doubled positions,
// carry-over.
std::vector<JobScript> scripts() {
    std::mt19937 rng(417417);
    std::vector<JobScript> all;
    for (int kind = 0; kind < 6; ++kind) {
        JobShape shape;
        shape.delayed = kind >= 2;
        shape.pixelShift = kind % 2 == 0 ? 3 : 2;
        shape.doubleX = kind == 1 || kind == 4;
        shape.feedOnFlush = kind == 3 || kind == 5;
        all.push_back(vrelo_test::realistic_job(rng, shape));
    }
    return all;
}

TEST(JobsOnThreads, EachJobAnswersWhatItAnswersAlone) {
    const std::vector<JobScript> jobs = scripts();
    std::vector<std::vector<CallResult>> alone;
    for (const JobScript& job : jobs) alone.push_back(vrelo_test::run_job(job));

    const int kRounds = 3;
    std::vector<std::vector<std::vector<CallResult>>> together(jobs.size());
    std::vector<std::thread> threads;
    for (size_t j = 0; j < jobs.size(); ++j)
        threads.emplace_back([&, j] {
            for (int round = 0; round < kRounds; ++round)
                together[j].push_back(vrelo_test::run_job(jobs[j]));
        });
    for (std::thread& thread : threads) thread.join();

    for (size_t j = 0; j < jobs.size(); ++j) {
        EXPECT_GT(alone[j].size(), 180u);
        for (int round = 0; round < kRounds; ++round)
            EXPECT_TRUE(together[j][round] == alone[j]) << "job " << j << " round " << round;
    }
}

}  // namespace
