// Delayed-mode page end. OutputFlush drains the 336 steps after the last
// line; OutputFormFeed sends what falls due before the page's end line and
// leaves the rest to be carried into the next page.
#include "output/delayed_mode.hpp"
#include "output/delayed_walk.hpp"
#include "output/producing_calls.hpp"

namespace vrelo {
namespace {

// Locks the sub-allocator and starts a walk with its skip block.
int32_t begin_page_end(MasterWork* job, Walk* walk, int64_t steps) {
    if (OffsetLockMemory(&job->offsetMemory) != VRELO_OK)
        return VRELO_LOCK_FAILED;
    return begin_walk(walk, job, steps, VRELO_RANGE_FAILED, VRELO_LOCK_FAILED);
}

}  // namespace

int64_t form_feed_steps(const MasterWork& job, int32_t endLine) {
    return static_cast<int64_t>(endLine) - (static_cast<int64_t>(job.lastLine) + 1);
}

int32_t page_end_start(const MasterWork& job) {
    return job.ringsRotated != 0 ? 0 : job.ring.RPointer;
}

int32_t delayed_flush(MasterWork* job, OutList** out) {
    Walk walk;
    int32_t status = begin_page_end(job, &walk, kLongestDelay);
    if (status != VRELO_OK) return fail_call(job, status, out);
    // Rings that a form feed rotated hold the next row of each colour at
    // index 0: the drain restarts the pointers there. Otherwise it goes on
    // from the read position, after the last line produced.
    if (job->ringsRotated != 0) {
        InitTempBuf(&job->ring);
        InitRPointer(&job->ring);
        InitWPointer(&job->ring);
    }
    status = walk_steps(&walk, kLongestDelay, false);
    if (status != VRELO_OK) return fail_call(job, status, out);
    if (job->feedOnFlush == 1) send_form_feed(&walk);
    return hand_over_list(job, out, &job->outTable->list);
}

int32_t delayed_form_feed(MasterWork* job, OutList** out, int32_t endLine) {
    const int64_t steps = form_feed_steps(*job, endLine);
    Walk walk;
    int32_t status = begin_page_end(job, &walk, steps);
    if (status == VRELO_OK) status = walk_steps(&walk, steps, false);
    if (status != VRELO_OK) return fail_call(job, status, out);
    // Counted only when positive: a far earlier end line walks no step and
    // must not wrap the count the completion takes from it.
    const int64_t counted = steps < -VRELO_MAX_ADVANCE ? -VRELO_MAX_ADVANCE : steps;
    job->feedRemain = static_cast<int32_t>(kLongestDelay - counted);
    return hand_over_list(job, out,
                          steps == 0 ? &job->outTable->emptyList
                                     : &job->outTable->list);
}

}  // namespace vrelo
