// What the delay rings hold between calls: where a completed line's rows
// wait, when a sent row's range is released, what a flush and a form feed
// leave, and that the rings stay right over huge gaps, over a whole int32
// page, and when a page starts while a list is pending.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "delayed_job.hpp"
#include "delayed_model.hpp"
#include "job_driver.hpp"
#include "platform/alloc_fail.hpp"

namespace {

using vrelo_test::Chunks;
using vrelo_test::live_ranges;
using vrelo_test::marked_chunk;
using vrelo_test::ring_entry;
using vrelo_test::rows_in_rings;

using vrelo_test::kAllColours;
using vrelo_test::kLetters;

class DelayedRings : public vrelo_test::DelayedJobTest {
  protected:
    // The ring index where the row of `number` in that colour waits.
    OffsetInfo waiting_row(int32_t number, char letter) {
        const int c = vrelo_test::colour_of(letter);
        return ring_entry(work(), c, (number + ColorOffset[c]) % ColorBufsize[c]);
    }
};

TEST_F(DelayedRings, AfterLineZeroEachRowWaitsWhereItsStepWillRead) {
    line(0, kAllColours);
    for (const char letter : std::string("YMCmc")) {
        const OffsetInfo ref = waiting_row(0, letter);
        EXPECT_EQ(ref.length, static_cast<int32_t>(marked_chunk(0, letter).size())) << letter;
    }
    EXPECT_EQ(rows_in_rings(work()), 5);
    EXPECT_EQ(live_ranges(work()), 5);  // black row and skip block released
    const int32_t expectedWrite[VRELO_COLOURS] = {0, 337, 225, 113, 225, 113};
    for (int c = 0; c < VRELO_COLOURS; ++c)
        EXPECT_EQ(work().ring.WPointer[c], expectedWrite[c]) << kLetters[c];
    EXPECT_EQ(work().ring.RPointer, 1);
    EXPECT_TRUE(vrelo_test::temp_slots_empty(work()));
    EXPECT_TRUE(isNullInfo(&work().skipInfo));
    EXPECT_TRUE(vrelo_test::chunk_table_empty(work()));
    EXPECT_EQ(work().outTable, nullptr);

    // Five steps later only the fifth commit cycle stores rows.
    line(5, kAllColours);
    for (int32_t gapLine = 1; gapLine < 5; ++gapLine)
        for (const char letter : std::string("YMCmc")) {
            const OffsetInfo ref = waiting_row(gapLine, letter);
            EXPECT_TRUE(isNullInfo(&ref)) << gapLine << letter;
        }
    EXPECT_EQ(rows_in_rings(work()), 10);
    EXPECT_EQ(work().ring.WPointer[1], 342);
}

// A sent row's range is released when its ring slot comes round again:
// 512 - 336 steps after sending for yellow, 256 - 224 for magenta and
// light magenta, 128 - 112 for cyan and light cyan.
TEST_F(DelayedRings, ASentRowIsReleasedWhenItsSlotComesRound) {
    line(0, "YMCmc");
    int32_t sentOn[VRELO_COLOURS] = {};
    int32_t releasedOn[VRELO_COLOURS] = {};
    for (int32_t n = 1; n <= 512; ++n) {
        const Chunks chunks = line(n, "");
        for (int c = 1; c < VRELO_COLOURS; ++c) {
            for (const vrelo_test::Bytes& chunk : chunks)
                if (chunk == marked_chunk(0, kLetters[c])) sentOn[c] = n;
            const OffsetInfo ref = waiting_row(0, kLetters[c]);
            if (releasedOn[c] == 0 && isNullInfo(&ref)) releasedOn[c] = n;
        }
    }
    for (int c = 1; c < VRELO_COLOURS; ++c) {
        EXPECT_EQ(sentOn[c], ColorOffset[c]) << kLetters[c];
        EXPECT_EQ(releasedOn[c] - sentOn[c], ColorBufsize[c] - ColorOffset[c]) << kLetters[c];
    }
    EXPECT_EQ(live_ranges(work()), 0);
}

// A block given back is kept for the next block the job needs: blank
// lines, each taking a skip block and giving it back, make one block in
// all (its header and its data area); a page start releases it with the
// rest, leaving what the job held before its first line.
TEST_F(DelayedRings, BlankLinesShareOneBlockThatAPageStartReleases) {
    const int64_t held = vrelo::live_allocations();
    const int64_t made = vrelo::allocation_count();
    lines(0, 199, "");
    EXPECT_EQ(vrelo::allocation_count() - made, 2);
    next_page();
    EXPECT_EQ(vrelo::live_allocations(), held);
}

// Blocks the rows still waiting in the rings lie in, each counted once.
int blocks_of_waiting_rows(MasterWork& job) {
    std::set<int32_t> blocks;
    for (int c = 1; c < VRELO_COLOURS; ++c)
        for (int i = 0; i < ColorBufsize[c]; ++i) {
            const OffsetInfo ref = ring_entry(job, c, i);
            if (!isNullInfo(&ref)) blocks.insert(ref.blockId);
        }
    return static_cast<int>(blocks.size());
}

// Once a page end is completed, and once a new page starts, the job holds
// no data block but those of rows still waiting: nothing after a flush or
// a form feed that sent every row, the carried rows' blocks after a form
// feed that left some (each block is a header and a data area).
TEST_F(DelayedRings, APageEndKeepsOnlyTheBlocksOfRowsStillWaiting) {
    for (bool carry : {false, true}) {
        SCOPED_TRACE(carry ? "carry-over" : "no carry-over");
        start(carry);
        const int64_t held = vrelo::live_allocations();
        lines(0, 199, kAllColours);
        vrelo_test::flush(job());
        EXPECT_EQ(vrelo::live_allocations(), held);

        next_page();
        lines(0, 299, "");
        vrelo_test::form_feed(job(), 300);
        EXPECT_EQ(vrelo::live_allocations(), held);

        next_page();
        lines(0, 99, kAllColours);
        vrelo_test::form_feed(job(), 500);
        EXPECT_EQ(vrelo::live_allocations(), held);

        next_page();
        lines(0, 99, kAllColours);
        vrelo_test::form_feed(job(), 150);
        const int blocks = blocks_of_waiting_rows(work());
        EXPECT_GT(blocks, 0);
        EXPECT_EQ(vrelo::live_allocations(), held + 2 * blocks);
        next_page();
        EXPECT_EQ(vrelo::live_allocations(), held + (carry ? 2 * blocks : 0));
    }
}

TEST_F(DelayedRings, AFlushEmptiesEveryRingAndLeavesTheWritePointers) {
    lines(0, 399, kAllColours);
    const RingBuf before = work().ring;
    vrelo_test::flush(job());
    EXPECT_EQ(rows_in_rings(work()), 0);
    EXPECT_EQ(live_ranges(work()), 0);
    EXPECT_EQ(work().ring.RPointer, 400 + 336);
    for (int c = 0; c < VRELO_COLOURS; ++c)
        EXPECT_EQ(work().ring.WPointer[c], before.WPointer[c]) << kLetters[c];
}

// After a form feed at 1100 behind line 999, ring index i holds the row
// due on step 1100 + i, for i below the colour's delay; nothing else.
TEST_F(DelayedRings, AFormFeedLeavesTheRowsStillDueFromRingIndexZero) {
    lines(0, 999, kAllColours);
    vrelo_test::form_feed(job(), 1100);
    int waiting = 0;
    for (int c = 1; c < VRELO_COLOURS; ++c)
        for (int i = 0; i < ColorBufsize[c]; ++i) {
            const int32_t of = 1100 + i - ColorOffset[c];
            const OffsetInfo ref = ring_entry(work(), c, i);
            if (i < ColorOffset[c] && of <= 999) {
                ++waiting;
                EXPECT_EQ(ref.length, static_cast<int32_t>(marked_chunk(of, kLetters[c]).size()));
            } else {
                EXPECT_TRUE(isNullInfo(&ref)) << kLetters[c] << " index " << i;
            }
        }
    EXPECT_EQ(waiting, 236 + 2 * 124 + 2 * 12);
    EXPECT_EQ(rows_in_rings(work()), waiting);
    EXPECT_EQ(live_ranges(work()), waiting);
}

// Rows a form feed left are released by the next page when they cannot be
// carried over; with carry-over they stay for it.
TEST_F(DelayedRings, RowsAFormFeedLeftGoWithTheNextPageUnlessCarried) {
    for (bool carry : {false, true}) {
        start(carry);
        lines(0, 99, kAllColours);
        vrelo_test::form_feed(job(), 100);
        const int left = live_ranges(work());
        EXPECT_EQ(left, 500);
        ASSERT_EQ(OutputInitPart(job(), nullptr), VRELO_OK);
        EXPECT_EQ(live_ranges(work()), carry ? left : 0);
        EXPECT_EQ(rows_in_rings(work()), carry ? left : 0);
    }
}

// A page started while a list is pending completes it first: nothing of
// the call stays locked or allocated, and the job goes on without
// refusing. With carry-over a pending line's rows still wait: the next
// page joins right after that line.
TEST_F(DelayedRings, StartingAPageWhileAListIsPendingCompletesIt) {
    enum Pending { kLine, kFlush, kFormFeed };
    for (bool carry : {false, true})
        for (Pending pending : {kLine, kFlush, kFormFeed}) {
            SCOPED_TRACE(testing::Message() << "carry " << carry << " pending " << pending);
            start(carry);
            lines(0, 49, kAllColours);
            const vrelo_test::PageLine next = vrelo_test::marked_line(50, kAllColours);
            const RasterLine record = next.record();
            OutList* out = nullptr;
            const int32_t status = pending == kLine    ? OutputProduce(job(), &record, &out)
                                   : pending == kFlush ? OutputFlush(job(), &out)
                                                       : OutputFormFeed(job(), &out, 200);
            ASSERT_EQ(status, VRELO_OK);
            ASSERT_EQ(OutputInitPart(job(), nullptr), VRELO_OK);
            EXPECT_EQ(work().produced, 0);
            EXPECT_EQ(work().offsetMemory.lockFlag, 0);
            EXPECT_TRUE(vrelo_test::temp_slots_empty(work()));
            EXPECT_TRUE(isNullInfo(&work().skipInfo));
            EXPECT_TRUE(vrelo_test::chunk_table_empty(work()));
            EXPECT_EQ(live_ranges(work()), rows_in_rings(work()));
            if (!carry) {
                EXPECT_EQ(live_ranges(work()), 0);
                EXPECT_EQ(line(3, "KY"), (Chunks{vrelo_test::skip_chunk(3), marked_chunk(3, 'K')}));
            } else if (pending == kLine) {
                const std::vector<vrelo_test::SentRow> rows =
                    vrelo_test::read_back(vrelo_test::concatenate(vrelo_test::flush(job()).chunks))
                        .rows;
                EXPECT_NE(std::find(rows.begin(), rows.end(),
                                    vrelo_test::SentRow{-1, 'Y', vrelo_test::marked_row(50, 'Y')}),
                          rows.end());
            } else {
                EXPECT_EQ(vrelo_test::produce_line(job(), record).status, VRELO_OK);
            }
        }
}

// Walks far past every ring's reach: one call with a gap of a million
// lines must send the same bytes and leave the same rings, pointers and
// counters as blank lines every 100 steps over the same distance.
TEST_F(DelayedRings, AHugeGapEndsAsTheStepByStepWalkDoes) {
    const int32_t last = 400 + 1000000;
    vrelo_test::Job stepwise(vrelo_test::delayed_param(false));
    Chunks byWalk;
    for (int32_t n = 0; n <= 400; ++n) {
        line(n, kAllColours);
        vrelo_test::produce_line(stepwise.handle(),
                                 vrelo_test::marked_line(n, kAllColours).record());
    }
    const Chunks byJump = line(last, kAllColours);
    for (int32_t n = 500; n < last; n += 100) {
        const Chunks part =
            vrelo_test::produce_line(stepwise.handle(), vrelo_test::marked_line(n, "").record())
                .chunks;
        byWalk.insert(byWalk.end(), part.begin(), part.end());
    }
    const Chunks part = vrelo_test::produce_line(
                            stepwise.handle(), vrelo_test::marked_line(last, kAllColours).record())
                            .chunks;
    byWalk.insert(byWalk.end(), part.begin(), part.end());
    EXPECT_EQ(byJump, byWalk);

    const MasterWork& walked = *stepwise.work();
    EXPECT_EQ(work().blankRun, walked.blankRun);
    EXPECT_EQ(work().lastLine, walked.lastLine);
    EXPECT_EQ(work().ring.RPointer, walked.ring.RPointer);
    for (int c = 0; c < VRELO_COLOURS; ++c) {
        EXPECT_EQ(work().ring.WPointer[c], walked.ring.WPointer[c]) << kLetters[c];
        for (int i = 0; i < ColorBufsize[c]; ++i)
            EXPECT_EQ(ring_entry(work(), c, i).length, ring_entry(*stepwise.work(), c, i).length)
                << kLetters[c] << " index " << i;
    }
    EXPECT_EQ(live_ranges(work()), live_ranges(walked));
    // And both go on alike.
    line(last + 1, kAllColours);
    vrelo_test::produce_line(stepwise.handle(),
                             vrelo_test::marked_line(last + 1, kAllColours).record());
    EXPECT_EQ(vrelo_test::flush(job()).chunks, vrelo_test::flush(stepwise.handle()).chunks);
}

// A page whose line numbers climb to the int32 limit, in the largest jumps
// an advance may take, keeps every delay exact to the end of its drain.
TEST_F(DelayedRings, APageRunningToTheLastLineNumberKeepsItsDelays) {
    vrelo_test::DelayedModel model(false);
    const int32_t lastLine = 2147483647;
    auto expect_line = [&](int32_t number, const std::string& letters) {
        const vrelo_test::PageLine l = vrelo_test::marked_line(number, letters);
        const auto expected = model.produce(number, vrelo_test::line_commands(l, 3, false));
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(line(number, letters), *expected) << "line " << number;
        model.complete();
    };
    const int32_t jump = VRELO_MAX_ADVANCE - 1000;
    for (int64_t number = 0; number <= lastLine - 1000; number += jump)
        expect_line(static_cast<int32_t>(number), "KY");
    for (int64_t dense = lastLine - 600; dense <= lastLine; dense += 3)
        expect_line(static_cast<int32_t>(dense), kAllColours);
    const Chunks drained = vrelo_test::flush(job()).chunks;
    EXPECT_EQ(drained, *model.flush());
    EXPECT_EQ(drained.back(), marked_chunk(lastLine, 'Y'));
}

}  // namespace

namespace {

// Every skip command and form-feed byte of a pending list lies inside the
// call's skip block: a range written past its end would corrupt its
// neighbour in the same data block, which no sanitizer sees.
void expect_skips_inside_skip_block(MasterWork& work, const OutList& list) {
    const uint8_t* base = OffsetNewPtr(&work.offsetMemory, &work.skipInfo);
    ASSERT_NE(base, nullptr);
    const uint8_t* limit = base + work.skipInfo.length;
    for (int i = 0; i < list.count; ++i) {
        const OutEntry& e = list.entries[i];
        const bool skip = e.length == 7 && e.data[2] == 0x65;
        const bool formFeed = e.length == 1 && e.data[0] == 0x0C;
        if (!skip && !formFeed) continue;
        EXPECT_GE(e.data, base) << "chunk " << i;
        EXPECT_LE(e.data + e.length, limit) << "chunk " << i;
    }
}

class SkipBlockBounds : public vrelo_test::DelayedJobTest {
  protected:
    void produce_checked(int32_t number, const std::string& letters) {
        const vrelo_test::PageLine l = vrelo_test::marked_line(number, letters);
        const RasterLine record = l.record();
        OutList* out = nullptr;
        ASSERT_EQ(OutputProduce(job(), &record, &out), VRELO_OK);
        expect_skips_inside_skip_block(work(), *out);
        ASSERT_EQ(OutputComplete(job()), VRELO_OK);
    }
    void end_checked(bool formFeed, int32_t endLine) {
        OutList* out = nullptr;
        ASSERT_EQ(formFeed ? OutputFormFeed(job(), &out, endLine) : OutputFlush(job(), &out),
                  VRELO_OK);
        expect_skips_inside_skip_block(work(), *out);
        ASSERT_EQ(OutputComplete(job()), VRELO_OK);
    }
};

TEST_F(SkipBlockBounds, EveryCallWritesItsSkipsInsideItsOwnBlock) {
    for (bool carry : {false, true}) {
        start(carry);
        for (int32_t n = 0; n < 400; n += 1 + n % 3) produce_checked(n, vrelo_test::kAllColours);
        produce_checked(1000, "Y");             // a gap beyond the rings
        produce_checked(1000 + 3 * 32767, "");  // blank: the advance is owed
        produce_checked(1000 + 5 * 32767 + 2, "K");
        for (int32_t n = 200000; n < 200400; ++n) produce_checked(n, "YMC");
        end_checked(true, 200400 + 9000000);
        end_checked(false, 0);
        next_page();
    }
}

}  // namespace
