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

namespace {

// The line of the next step a page end walks: the one after the last line
// produced, or where the rings a form feed rotated now start.
int64_t page_end_line(const MasterWork& job) {
    return job.ringsRotated != 0 ? job.feedLine
                                 : static_cast<int64_t>(job.lastLine) + 1;
}

// Rotated rings hold the next row of each colour at index 0: the walk
// restarts the pointers there.
void restart_rotated_rings(MasterWork* job) {
    if (job->ringsRotated == 0) return;
    InitTempBuf(&job->ring);
    InitRPointer(&job->ring);
    InitWPointer(&job->ring);
}

}  // namespace

int64_t form_feed_steps(const MasterWork& job, int32_t endLine) {
    return static_cast<int64_t>(endLine) - page_end_line(job);
}

int32_t page_end_start(const MasterWork& job) {
    return job.ringsRotated != 0 ? 0 : job.ring.RPointer;
}

int32_t delayed_flush(MasterWork* job, OutList** out) {
    Walk walk;
    int32_t status = begin_page_end(job, &walk, kLongestDelay);
    if (status != VRELO_OK) return fail_call(job, status, out);
    // Otherwise the drain goes on from the read position, after the last
    // line produced.
    restart_rotated_rings(job);
    status = walk_steps(&walk, kLongestDelay, false);
    if (status != VRELO_OK) return fail_call(job, status, out);
    if (job->feedOnFlush == 1) send_form_feed(&walk);
    return hand_over_list(job, out, &job->outTable->list);
}

// A second form feed on a page goes on where the first one ended, from the
// rings it rotated: each row still goes out on the step its delay gives,
// and none when the page now ends first.
int32_t delayed_form_feed(MasterWork* job, OutList** out, int32_t endLine) {
    const int64_t steps = form_feed_steps(*job, endLine);
    const int64_t nextLine = page_end_line(*job) + (steps > 0 ? steps : 0);
    Walk walk;
    int32_t status = begin_page_end(job, &walk, steps);
    if (status == VRELO_OK) {
        restart_rotated_rings(job);
        status = walk_steps(&walk, steps, false);
    }
    if (status != VRELO_OK) return fail_call(job, status, out);
    // Where the rings start once the completion has rotated them.
    job->feedLine = nextLine;
    // Counted only when positive: a far earlier end line walks no step and
    // must not wrap the count the completion takes from it.
    const int64_t counted = steps < -VRELO_MAX_ADVANCE ? -VRELO_MAX_ADVANCE : steps;
    job->feedRemain = static_cast<int32_t>(kLongestDelay - counted);
    return hand_over_list(job, out,
                          steps == 0 ? &job->outTable->emptyList
                                     : &job->outTable->list);
}

}  // namespace vrelo
