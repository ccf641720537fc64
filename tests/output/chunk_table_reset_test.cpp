// Every way out of a live list - its completion, a new page, configuring
// the job again into either mode - leaves the chunk table empty, so a host
// still holding the list can follow no entry into memory the job rewrites
// or has released.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "delayed_job.hpp"
#include "job_driver.hpp"
#include "job_params.hpp"

namespace {

using vrelo_test::kAllColours;

OutputParam param_in(bool delayed) {
    vrelo_test::JobShape shape;
    shape.delayed = delayed;
    return vrelo_test::param_for(shape);
}

struct Way {
    std::string name;
    std::function<int32_t(MasterWork**)> take;
};

std::vector<Way> ways_out() {
    static const OutputParam direct = param_in(false);
    static const OutputParam delayed = param_in(true);
    return {
        {"completion", [](MasterWork** j) { return OutputComplete(j); }},
        {"new page", [](MasterWork** j) { return OutputInitPart(j, nullptr); }},
        {"configured direct", [](MasterWork** j) { return OutputInit(j, &direct); }},
        {"configured delayed", [](MasterWork** j) { return OutputInit(j, &delayed); }},
        {"block for direct", [](MasterWork** j) { return OutputInitTwo(j, &direct, 'L'); }},
        {"block for delayed", [](MasterWork** j) { return OutputInitTwo(j, &delayed, 'L'); }},
    };
}

// A pending list of many chunks: in delayed mode the rows of 150 lines in
// every colour fall due on the next line's steps.
OutList* pending_list(MasterWork** job, bool delayed) {
    const int32_t last = delayed ? 150 : 0;
    for (int32_t n = 0; n < last; ++n)
        vrelo_test::produce_line(job, vrelo_test::marked_line(n, kAllColours).record());
    const vrelo_test::PageLine line = vrelo_test::marked_line(last + 40, kAllColours);
    const RasterLine record = line.record();
    OutList* out = nullptr;
    EXPECT_EQ(OutputProduce(job, &record, &out), VRELO_OK);
    EXPECT_GT(out->count, 0);
    return out;
}

TEST(ChunkTableReset, EveryWayOutOfAListLeavesTheTableEmpty) {
    for (bool delayed : {false, true}) {
        for (const Way& way : ways_out()) {
            SCOPED_TRACE(std::string(delayed ? "delayed, " : "direct, ") + way.name);
            vrelo_test::Job job(param_in(delayed));
            OutList* held = pending_list(job.handle(), delayed);
            ASSERT_EQ(way.take(job.handle()), VRELO_OK);
            EXPECT_EQ(held->count, 0);
            EXPECT_EQ(held->entries, nullptr);
            EXPECT_TRUE(vrelo_test::chunk_table_empty(*job.work()));
            EXPECT_EQ(job.work()->outTable, nullptr);
        }
    }
}

}  // namespace
