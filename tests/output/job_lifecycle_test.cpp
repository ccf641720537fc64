// Opening, configuring, starting pages and closing a job: what each call
// leaves in the record, every allocation failure of OutputOpen (no leak),
// and a job configured again releasing what its sub-allocator held.
#include <gtest/gtest.h>

#include <cstring>

#include "alloc_sweep.hpp"
#include "job_params.hpp"
#include "output/master_work.hpp"
#include "platform/alloc_fail.hpp"

namespace {

using vrelo_test::JobShape;
using vrelo_test::param_for;

bool all_entries_null(const OutStrct& table) {
    for (const OutEntry& e : table.entries)
        if (e.data != nullptr || e.length != 0) return false;
    return true;
}

TEST(JobLifecycle, OpenWithoutOutPointerFailsAndAllocatesNothing) {
    const int64_t before = vrelo::allocation_count();
    EXPECT_EQ(OutputOpen(nullptr), VRELO_OPEN_FAILED);
    EXPECT_EQ(OutputOpen(nullptr), -32509);
    EXPECT_EQ(vrelo::allocation_count(), before);
}

TEST(JobLifecycle, OpenBuildsAnEmptyUnconfiguredJob) {
    MasterWork* job = nullptr;
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->selfHandle.pointer, job);
    EXPECT_EQ(job->initMark, 0);
    EXPECT_EQ(job->cmdBuf, nullptr);
    EXPECT_EQ(job->outTable, nullptr);
    EXPECT_EQ(job->pixelShift, 0);
    EXPECT_EQ(job->delayMode, 0);
    const OutStrct* table = static_cast<const OutStrct*>(job->outTableHandle.pointer);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->list.count, 0);
    EXPECT_EQ(table->list.entries, nullptr);
    EXPECT_EQ(table->emptyList.count, 0);
    EXPECT_EQ(table->emptyList.entries, nullptr);
    EXPECT_TRUE(all_entries_null(*table));
    EXPECT_NE(job->cmdBufHandle.pointer, nullptr);
    OutputClose(&job);
}

// Every allocation of OutputOpen fails once; the partly built record is
// closed and the sanitizer's leak check sees nothing left over.
TEST(JobLifecycle, EveryAllocationFailureOfOpenIsReportedAndClosesCleanly) {
    int partial = 0;
    const int failures = vrelo_test::sweep_allocation_failures([&](int) {
        MasterWork* job = reinterpret_cast<MasterWork*>(0x1);
        const int32_t status = OutputOpen(&job);
        if (!vrelo::allocation_failure_armed()) {
            EXPECT_EQ(status, VRELO_OPEN_FAILED);
            if (job != nullptr) ++partial;
        }
        OutputClose(&job);
    });
    EXPECT_EQ(failures, 3);  // record, chunk table, command buffer
    EXPECT_EQ(partial, 2);   // the record exists once its own block does
}

TEST(JobLifecycle, InitTwoCopiesTheBlockAndTakesTheModelArgument) {
    MasterWork* job = nullptr;
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
    unsigned char block[sizeof(OutputParam)];
    for (size_t i = 0; i < sizeof block; ++i) block[i] = static_cast<unsigned char>(i * 7 + 1);
    EXPECT_EQ(OutputInitTwo(&job, block, 0x7005A), VRELO_OK);
    EXPECT_EQ(job->initMark, 0x0103);
    EXPECT_EQ(job->param.modelCode, 0x005A);
    EXPECT_EQ(std::memcmp(reinterpret_cast<const unsigned char*>(&job->param) + 2, block + 2,
                          sizeof block - 2),
              0);
    OutputClose(&job);
}

TEST(JobLifecycle, InitPartStartsEachPageInItsMode) {
    for (bool delayed : {false, true}) {
        MasterWork* job = nullptr;
        ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
        JobShape shape;
        shape.delayed = delayed;
        const OutputParam p = param_for(shape);
        ASSERT_EQ(OutputInit(&job, &p), VRELO_OK);
        ASSERT_EQ(job->delayMode, delayed ? 1 : 0);
        job->lastLine = job->curLine = job->lineGap = job->blankRun = 9;
        job->feedRemain = 9;
        job->produced = job->flushSeen = job->formFeedSeen = 1;
        job->ring.RPointer = 77;
        EXPECT_EQ(OutputInitPart(&job, nullptr), VRELO_OK);
        EXPECT_EQ(job->lastLine, delayed ? -1 : 0);
        EXPECT_EQ(job->curLine, 0);
        EXPECT_EQ(job->lineGap, 0);
        EXPECT_EQ(job->blankRun, 0);
        EXPECT_EQ(job->produced, 0);
        EXPECT_EQ(job->flushSeen, 0);
        EXPECT_EQ(job->formFeedSeen, 0);
        // Delayed pages restart the delay lines; direct mode never uses them.
        EXPECT_EQ(job->feedRemain, delayed ? 0 : 9);
        EXPECT_EQ(job->ring.RPointer, delayed ? 0 : 77);
        for (int c = 0; delayed && c < VRELO_COLOURS; ++c)
            EXPECT_EQ(job->ring.WPointer[c], ColorOffset[c]);
        OutputClose(&job);
    }
}

TEST(JobLifecycle, DelayedPagesKeepTheRingsOnlyWithCarryOver) {
    for (bool carry : {false, true}) {
        MasterWork* job = nullptr;
        ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
        JobShape shape;
        shape.delayed = true;
        shape.feedOnFlush = carry;
        const OutputParam p = param_for(shape);
        ASSERT_EQ(OutputInit(&job, &p), VRELO_OK);
        const OffsetInfo waiting = {3, 40, 17};
        job->ring.Outbuf[5] = waiting;
        job->ring.TempBuf[2] = waiting;
        EXPECT_EQ(OutputInitPart(&job, nullptr), VRELO_OK);
        EXPECT_EQ(isNullInfo(&job->ring.Outbuf[5]), carry ? 0 : 1);
        EXPECT_EQ(isNullInfo(&job->ring.TempBuf[2]), 1);
        OutputClose(&job);
    }
}

// Fills the job's sub-allocator with ranges and leaves it locked, as a
// pending delayed-mode call would.
void hold_ranges(MasterWork* job) {
    ASSERT_EQ(OffsetLockMemory(&job->offsetMemory), VRELO_OK);
    OffsetInfo ref;
    for (int i = 0; i < 300; ++i) ASSERT_EQ(OffsetNewID(&job->offsetMemory, &ref, 2352), VRELO_OK);
}

TEST(JobLifecycle, ConfiguringAgainReleasesEveryHeldRangeAndTheLock) {
    JobShape delayed;
    delayed.delayed = true;
    for (bool againDelayed : {true, false}) {
        MasterWork* job = nullptr;
        ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
        const OutputParam first = param_for(delayed);
        ASSERT_EQ(OutputInit(&job, &first), VRELO_OK);
        hold_ranges(job);
        ASSERT_EQ(MyNullPHCheck(&job->offsetMemory.firstHandle), 0);
        JobShape next = delayed;
        next.delayed = againDelayed;
        const OutputParam second = param_for(next);
        ASSERT_EQ(OutputInitTwo(&job, &second, second.modelCode), VRELO_OK);
        EXPECT_EQ(MyNullPHCheck(&job->offsetMemory.firstHandle), 1);
        if (againDelayed) {
            EXPECT_EQ(job->offsetMemory.lockFlag, 0);
            EXPECT_EQ(OffsetLockMemory(&job->offsetMemory), VRELO_OK);
            EXPECT_EQ(OffsetUnLockMemory(&job->offsetMemory), VRELO_OK);
        }
        OutputClose(&job);
    }
}

TEST(JobLifecycle, CloseReleasesTheRangesOfALockedSubAllocator) {
    MasterWork* job = nullptr;
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
    JobShape shape;
    shape.delayed = true;
    const OutputParam p = param_for(shape);
    ASSERT_EQ(OutputInit(&job, &p), VRELO_OK);
    hold_ranges(job);
    OutputClose(&job);  // the leak check would report what stayed
}

TEST(JobLifecycle, ConfiguringCallsRefuseMissingRecords) {
    const OutputParam p = param_for(JobShape{});
    MasterWork* none = nullptr;
    EXPECT_EQ(OutputInitTwo(nullptr, &p, 'A'), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInitTwo(&none, &p, 'A'), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInit(nullptr, &p), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInit(&none, &p), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInitPart(nullptr, &p), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInitPart(&none, &p), VRELO_BAD_ARGUMENT);
    MasterWork* job = nullptr;
    ASSERT_EQ(OutputOpen(&job), VRELO_OPEN_OK);
    EXPECT_EQ(OutputInitTwo(&job, nullptr, 'A'), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(OutputInit(&job, nullptr), VRELO_BAD_ARGUMENT);
    EXPECT_EQ(job->pixelShift, 0);
    EXPECT_EQ(OutputInitPart(&job, nullptr), VRELO_OK);  // the block is not used
    OutputClose(&job);
    OutputClose(&none);
    OutputClose(nullptr);
}

}  // namespace
