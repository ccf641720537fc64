// Delayed-mode refusals and failures: calls out of order and the job left
// locked by a failure taken while locked, lines and advances refused
// before anything changes, and every allocation failure of a job's calls.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "alloc_sweep.hpp"
#include "delayed_job.hpp"
#include "delayed_model.hpp"
#include "job_driver.hpp"
#include "platform/alloc_fail.hpp"

namespace {

using vrelo_test::Bytes;
using vrelo_test::Chunks;
using vrelo_test::marked_chunk;
using vrelo_test::skip_chunk;

using vrelo_test::kAllColours;

Bytes bytes_of(const void* record, size_t size) {
    const auto* start = static_cast<const uint8_t*>(record);
    return Bytes(start, start + size);
}

class DelayedRefusals : public vrelo_test::DelayedJobTest {
  protected:
    int32_t produce(int32_t number, OutList** out) {
        const vrelo_test::PageLine l = vrelo_test::marked_line(number, "K");
        const RasterLine record = l.record();
        return OutputProduce(job(), &record, out);
    }

    // The call is refused with VRELO_BAD_ARGUMENT and neither the job nor
    // its chunk table nor the caller's out-pointer changes.
    void expect_refused_unchanged(const std::function<int32_t(OutList**)>& call) {
        const Bytes work = bytes_of(&this->work(), sizeof(MasterWork));
        const Bytes table = bytes_of(this->work().outTableHandle.pointer, sizeof(OutStrct));
        OutList untouched{};
        OutList* out = &untouched;
        EXPECT_EQ(call(&out), VRELO_BAD_ARGUMENT);
        EXPECT_EQ(out, &untouched);
        EXPECT_TRUE(work == bytes_of(&this->work(), sizeof(MasterWork)));
        EXPECT_TRUE(table == bytes_of(this->work().outTableHandle.pointer, sizeof(OutStrct)));
    }
};

TEST_F(DelayedRefusals, ASecondCallWhilePendingIsRefusedAndLeavesTheJobLocked) {
    lines(0, 20, kAllColours);
    OutList* out = nullptr;
    ASSERT_EQ(produce(21, &out), VRELO_OK);
    OutList* const pendingList = out;
    EXPECT_EQ(produce(22, &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(out, pendingList);
    vrelo_test::expect_nothing_held(work());

    // Locked until configured again; a new page does not unlock it.
    ASSERT_EQ(OutputInitPart(job(), nullptr), VRELO_OK);
    EXPECT_EQ(produce(0, &out), VRELO_LOCK_FAILED);
    EXPECT_EQ(OutputFlush(job(), &out), VRELO_LOCK_FAILED);
    EXPECT_EQ(OutputFormFeed(job(), &out, 100), VRELO_LOCK_FAILED);
    EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(out, pendingList);
    vrelo_test::expect_nothing_held(work());

    ASSERT_EQ(OutputInit(job(), &param_), VRELO_OK);
    EXPECT_EQ(line(0, "KY"), Chunks{marked_chunk(0, 'K')});
}

TEST_F(DelayedRefusals, ARefusedFormFeedKeepsItsFlagARefusedFlushLeavesItsOwn) {
    OutList* out = nullptr;
    ASSERT_EQ(produce(0, &out), VRELO_OK);
    EXPECT_EQ(OutputFormFeed(job(), &out, 10), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(work().formFeedSeen, 1);

    ASSERT_EQ(OutputInit(job(), &param_), VRELO_OK);
    ASSERT_EQ(produce(0, &out), VRELO_OK);
    EXPECT_EQ(OutputFlush(job(), &out), VRELO_OUT_OF_ORDER);
    EXPECT_EQ(work().flushSeen, 0);
}

// Refused before the lock: the rows are gone, the job is not locked.
TEST_F(DelayedRefusals, ACompletionWithNothingPendingReleasesEveryRow) {
    lines(0, 20, kAllColours);
    EXPECT_EQ(OutputComplete(job()), VRELO_OUT_OF_ORDER);
    vrelo_test::expect_nothing_held(work());
    EXPECT_EQ(line(21, "KY"), (Chunks{skip_chunk(1), marked_chunk(21, 'K')}));
}

// Its rows could never be sent where they belong.
TEST_F(DelayedRefusals, ALineNotAfterThePreviousOneIsRefusedBeforeAnythingChanges) {
    expect_refused_unchanged([&](OutList** out) { return produce(-1, out); });
    lines(0, 10, "KY");
    for (int32_t number : {10, 3, -1, INT32_MIN})
        expect_refused_unchanged([&](OutList** out) { return produce(number, out); });
    EXPECT_EQ(line(11, "KY"), (Chunks{skip_chunk(1), marked_chunk(11, 'K')}));
}

// A plane with data and a negative end, start or tail names no row.
TEST_F(DelayedRefusals, NegativePlaneGeometryIsRefusedBeforeAnythingChanges) {
    lines(0, 10, "KY");
    const Bytes row(4, 0x11);
    const ColorPlane kRefused[] = {
        {row.data(), -8, 0, 0, 0}, {row.data(), 8, -1, 0, 0}, {row.data(), 8, 0, -1, 0}};
    for (const ColorPlane& plane : kRefused)
        expect_refused_unchanged([&](OutList** out) {
            RasterLine record{};
            record.lineNumber = 11;
            record.planes[2] = plane;
            return OutputProduce(job(), &record, out);
        });
    EXPECT_EQ(line(11, "KY"), (Chunks{skip_chunk(1), marked_chunk(11, 'K')}));
}

// The bound counts the lines a call's skip commands add up to, as in
// direct mode: exactly VRELO_MAX_ADVANCE goes out before a black row, one
// line more is refused, whatever a blank line before it left owed.
TEST_F(DelayedRefusals, AnAdvanceAboveTheBoundIsRefusedBeforeAnythingChanges) {
    expect_refused_unchanged([&](OutList** out) { return produce(VRELO_MAX_ADVANCE + 1, out); });
    Chunks longest = vrelo_test::skip_commands(VRELO_MAX_ADVANCE);
    longest.push_back(marked_chunk(VRELO_MAX_ADVANCE, 'K'));
    EXPECT_EQ(line(VRELO_MAX_ADVANCE, "K"), longest);

    start(false);
    line(4999999, "");  // owes 5,000,000
    expect_refused_unchanged([&](OutList** out) { return produce(4999999 + 5000002, out); });
    longest = vrelo_test::skip_commands(VRELO_MAX_ADVANCE);
    longest.push_back(marked_chunk(4999999 + 5000001, 'K'));
    EXPECT_EQ(line(4999999 + 5000001, "K"), longest);
}

// A line without ink sends nothing and leaves nothing to send, however
// far on it lies: taken up to the last line number. What a later row would
// owe is checked when that row comes.
TEST_F(DelayedRefusals, ABlankLineFarOnIsTaken) {
    for (int32_t number : {VRELO_MAX_ADVANCE + 336, INT32_MAX}) {
        SCOPED_TRACE(number);
        start(false);
        EXPECT_EQ(line(number, ""), Chunks{});
        EXPECT_EQ(flush(), Chunks{});
    }
    start(false);
    line(VRELO_MAX_ADVANCE + 336, "");
    expect_refused_unchanged([&](OutList** out) { return produce(VRELO_MAX_ADVANCE + 337, out); });

    // Rows still due go out on their steps; beyond them the paper owes
    // nothing it will ever send.
    start(false);
    line(0, "KY");
    EXPECT_EQ(line(INT32_MAX, ""), (Chunks{skip_chunk(336), marked_chunk(0, 'Y')}));
    EXPECT_EQ(flush(), Chunks{});
}

// A line is taken only when the page end can still send what it leaves:
// its rows of colours 1 to 5 go out up to 336 lines after it, from where
// the paper stands once the line's own walk is done.
TEST_F(DelayedRefusals, ALineWhoseRowsCouldNotBeSentLaterIsRefused) {
    const int32_t latest = VRELO_MAX_ADVANCE - 336;
    expect_refused_unchanged([&](OutList** out) {
        const vrelo_test::PageLine l = vrelo_test::marked_line(latest + 1, "Y");
        const RasterLine record = l.record();
        return OutputProduce(job(), &record, out);
    });
    EXPECT_EQ(line(latest, "Y"), Chunks{});
    Chunks drained = vrelo_test::skip_commands(VRELO_MAX_ADVANCE);
    drained.push_back(marked_chunk(latest, 'Y'));
    EXPECT_EQ(flush(), drained);

    // A black row brings the paper to its line first.
    start(false);
    EXPECT_EQ(line(latest + 1, "KY").back(), marked_chunk(latest + 1, 'K'));

    // So does a row the walk sends from the rings: cyan of line 0, due on
    // step 112, lets a yellow row wait 224 lines further.
    start(false);
    line(0, "C");
    expect_refused_unchanged([&](OutList** out) {
        const vrelo_test::PageLine l = vrelo_test::marked_line(latest + 113, "Y");
        const RasterLine record = l.record();
        return OutputProduce(job(), &record, out);
    });
    EXPECT_EQ(line(latest + 112, "Y"), (Chunks{skip_chunk(112), marked_chunk(0, 'C')}));
    drained = vrelo_test::skip_commands(VRELO_MAX_ADVANCE);
    drained.push_back(marked_chunk(latest + 112, 'Y'));
    EXPECT_EQ(flush(), drained);
}

// A page end counts what it sends: past the rows still due it sends
// nothing, however far its end line lies.
TEST_F(DelayedRefusals, APageEndIsRefusedOnlyForWhatItWouldSend) {
    line(0, "Y");
    EXPECT_EQ(form_feed(INT32_MAX), (Chunks{skip_chunk(336), marked_chunk(0, 'Y')}));
    EXPECT_EQ(form_feed(INT32_MIN), Chunks{});
    EXPECT_EQ(flush(), Chunks{});

    // A job whose advance owed was let grow past the bound (no call of the
    // contract does that) sends no row after it.
    start(false);
    line(0, "Y");
    work().blankRun = VRELO_MAX_ADVANCE - 334;
    expect_refused_unchanged([&](OutList** out) { return OutputFlush(job(), out); });
    expect_refused_unchanged([&](OutList** out) { return OutputFormFeed(job(), out, 400); });
    // Its end line comes before yellow's step 336: the row is kept at the
    // front of the rotated rings, for the flush that follows.
    EXPECT_EQ(form_feed(336), Chunks{});
    EXPECT_EQ(work().blankRun, VRELO_MAX_ADVANCE + 1);
    expect_refused_unchanged([&](OutList** out) { return OutputFlush(job(), out); });
    work().blankRun = VRELO_MAX_ADVANCE;
    Chunks drained = vrelo_test::skip_commands(VRELO_MAX_ADVANCE);
    drained.push_back(marked_chunk(0, 'Y'));
    EXPECT_EQ(flush(), drained);
}

// Drives one job through two pages under the allocation-failure switch.
// The one failure a run meets must be VRELO_RANGE_FAILED (with the empty
// list handed out) or VRELO_LOCK_FAILED, must leave nothing held, must
// keep a job that failed while locked refusing until it is configured
// again, and the job configured again must work exactly as a new one.
class FailureRun {
  public:
    // Each failure met is noted in `paths`: the call that failed, its status.
    using Paths = std::set<std::pair<std::string, int32_t>>;
    FailureRun(bool carry, Paths* paths)
        : param_(vrelo_test::delayed_param(carry)), paths_(paths) {}

    void run() {
        if (OutputOpen(&job_) == VRELO_OPEN_OK && OutputInit(&job_, &param_) == VRELO_OK)
            scenario();
        OutputClose(&job_);
    }

  private:
    // Each call meets an empty sub-allocator once (its first range makes
    // the first block), rows pile up into further blocks, and a form feed's
    // completion rotates the rings.
    void scenario() {
        if (!survives("line", line_call(0, ""))) return;
        for (int32_t n = 1; n < 60; ++n)
            if (!survives("line", line_call(n, kAllColours))) return;
        if (!survives("line", line_call(400, kAllColours))) return;
        if (!survives("form feed", form_feed_call(460)) || !next_page()) return;
        if (!survives("form feed", form_feed_call(5)) || !next_page()) return;
        if (!survives("flush", flush_call()) || !next_page()) return;
        for (int32_t n = 0; n < 10; ++n)
            if (!survives("line", line_call(n, "KMc"))) return;
        survives("flush", flush_call());
    }

    bool next_page() { return OutputInitPart(&job_, nullptr) == VRELO_OK; }

    std::function<int32_t(OutList**)> form_feed_call(int32_t endLine) {
        return [this, endLine](OutList** out) { return OutputFormFeed(&job_, out, endLine); };
    }

    std::function<int32_t(OutList**)> flush_call() {
        return [this](OutList** out) { return OutputFlush(&job_, out); };
    }

    std::function<int32_t(OutList**)> line_call(int32_t number, const std::string& letters) {
        return [this, number, letters](OutList** out) {
            const vrelo_test::PageLine l = vrelo_test::marked_line(number, letters);
            const RasterLine record = l.record();
            return OutputProduce(&job_, &record, out);
        };
    }

    // The call and its completion; false once either failed (and the
    // failure has been checked).
    bool survives(const std::string& name, const std::function<int32_t(OutList**)>& call) {
        OutList* out = nullptr;
        const int32_t status = call(&out);
        if (status != VRELO_OK) {
            paths_->insert({name, status});
            check_failure(status, out, true);
            return false;
        }
        const int32_t completed = OutputComplete(&job_);
        if (completed != VRELO_OK) {
            paths_->insert({"completion", completed});
            check_failure(completed, nullptr, false);
            return false;
        }
        return true;
    }

    void check_failure(int32_t status, OutList* out, bool whileLocked) {
        const auto* table = static_cast<const OutStrct*>(job_->outTableHandle.pointer);
        EXPECT_TRUE(status == VRELO_RANGE_FAILED || status == VRELO_LOCK_FAILED) << status;
        EXPECT_EQ(out, status == VRELO_RANGE_FAILED ? &table->emptyList : nullptr);
        vrelo_test::expect_nothing_held(*job_);
        OutList* later = nullptr;
        const int32_t next = line_call(5000, "KY")(&later);
        EXPECT_EQ(next, whileLocked ? VRELO_LOCK_FAILED : VRELO_OK);
        if (next == VRELO_OK) {
            EXPECT_EQ(OutputComplete(&job_), VRELO_OK);
        }
        ASSERT_EQ(OutputInit(&job_, &param_), VRELO_OK);
        expect_like_a_new_job();
    }

    void expect_like_a_new_job() {
        vrelo_test::DelayedModel model(param_.feedFlag == 1);
        for (int32_t n = 0; n < 4; ++n) {
            const vrelo_test::PageLine l = vrelo_test::marked_line(n * 100, kAllColours);
            const auto expected =
                model.produce(l.lineNumber, vrelo_test::line_commands(l, 3, false));
            EXPECT_EQ(vrelo_test::produce_line(&job_, l.record()).chunks, *expected);
            model.complete();
        }
        EXPECT_EQ(vrelo_test::flush(&job_).chunks, *model.flush());
    }

    MasterWork* job_ = nullptr;
    OutputParam param_;
    Paths* paths_;
};

// Allocations happen where a call's first range makes a block (a line's
// row or skip block, a flush's or a form feed's skip block) and the job
// holds no block given back before. Completions allocate nothing.
TEST(DelayedFailures, EveryAllocationFailureIsReportedAndLeavesNothingHeld) {
    FailureRun::Paths paths;
    for (bool carry : {false, true}) {
        SCOPED_TRACE(carry ? "carry-over" : "no carry-over");
        const int failures =
            vrelo_test::sweep_allocation_failures([&](int) { FailureRun(carry, &paths).run(); });
        EXPECT_GT(failures, 8);
    }
    const FailureRun::Paths everyPath = {{"line", VRELO_RANGE_FAILED},
                                         {"form feed", VRELO_RANGE_FAILED},
                                         {"flush", VRELO_RANGE_FAILED}};
    EXPECT_EQ(paths, everyPath);
}

}  // namespace
