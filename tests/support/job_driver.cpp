#include "job_driver.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace vrelo_test {

Job::Job(const OutputParam& param) {
    EXPECT_EQ(OutputOpen(&work_), VRELO_OPEN_OK);
    EXPECT_EQ(OutputInit(&work_, &param), VRELO_OK);
}

Job::~Job() {
    OutputClose(&work_);
}

std::vector<Bytes> copy_chunks(const OutList& list) {
    std::vector<Bytes> chunks;
    for (int i = 0; i < list.count; ++i) {
        const OutEntry& entry = list.entries[i];
        EXPECT_GE(entry.length, 0);
        if (entry.length > 0) {
            EXPECT_NE(entry.data, nullptr);
        }
        chunks.emplace_back(entry.data, entry.data + std::max<int>(entry.length, 0));
    }
    return chunks;
}

namespace {

CallResult checked(const CallResult& result) {
    EXPECT_EQ(result.status, VRELO_OK);
    EXPECT_EQ(result.completion, VRELO_OK);
    return result;
}

}  // namespace

CallResult produce_line(MasterWork** job, const RasterLine& line) {
    OutList* list = nullptr;
    const int32_t status = OutputProduce(job, &line, &list);
    return checked(complete_call(job, status, list));
}

CallResult flush(MasterWork** job) {
    OutList* list = nullptr;
    const int32_t status = OutputFlush(job, &list);
    return checked(complete_call(job, status, list));
}

CallResult form_feed(MasterWork** job, int32_t endLine) {
    OutList* list = nullptr;
    const int32_t status = OutputFormFeed(job, &list, endLine);
    return checked(complete_call(job, status, list));
}

Bytes concatenate(const std::vector<Bytes>& chunks) {
    Bytes all;
    for (const Bytes& chunk : chunks) all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
}

PageRun run_page(MasterWork** job, const Page& page, const PageEnd& end) {
    PageRun run;
    for (const PageLine& line : page) run.calls.push_back(produce_line(job, line.record()));
    for (const PageEndCall& call : end)
        run.calls.push_back(call.formFeed ? form_feed(job, call.endLine) : flush(job));
    for (const CallResult& call : run.calls) {
        const Bytes bytes = concatenate(call.chunks);
        run.stream.insert(run.stream.end(), bytes.begin(), bytes.end());
    }
    return run;
}

}  // namespace vrelo_test
