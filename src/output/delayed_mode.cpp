// Delayed mode: each colour reaches the printer its delay's number of line
// steps after its line. OutputProduce parks the line's rows and walks the
// steps since the previous line; OutputFlush drains the longest delay;
// OutputFormFeed sends what falls due before the page's end line and
// leaves the rest to be carried into the next page; OutputComplete commits
// the new rows and lets go of those sent. Also how the mode is set up,
// starts a page and forgets its rows.
#include "output/delayed_mode.hpp"
#include "delay/ring_pointers.hpp"
#include "delay/ring_slots.hpp"
#include "offsetmem/offset_alloc.hpp"
#include "output/call_protocol.hpp"

namespace vrelo {
namespace {

// The read and write pointers back at index 0, the temporary slots empty.
void restart_pointers(MasterWork* job) {
    InitTempBuf(&job->ring);
    InitRPointer(&job->ring);
    InitWPointer(&job->ring);
}

// Rotated rings hold the next row of each colour at index 0: the walk
// restarts the pointers there.
void restart_rotated_rings(MasterWork* job) {
    if (job->ringsRotated != 0) restart_pointers(job);
}

// Locks the sub-allocator and starts a page end's walk with its skip block.
int32_t begin_page_end(MasterWork* job, Walk* walk, int64_t steps) {
    if (failed(lock_ranges(&job->offsetMemory, &job->shelf))) return VRELO_LOCK_FAILED;
    return begin_walk(walk, job, steps);
}

// A page end handed over: the page takes no more lines, and the next walk
// starts where this one ended.
int32_t hand_over_page_end(MasterWork* job, OutList** out, OutList* list, int64_t steps) {
    job->pageEnded = 1;
    job->nextStep += steps;
    return hand_over_list(job, out, list);
}

// The rings are emptied and the sub-allocator starts afresh, which also
// clears a lock flag a failure exit left set.
void configure(MasterWork* job) {
    forget_delayed_rows(job);
    OffsetInitPara(&job->offsetMemory);
}

// Without carry-over no row survives the page end, so every row is
// released now rather than left allocated until the job closes. With it,
// the page joins the next one where its walks ended: rings that no form
// feed rotated are rotated there now (the rows still due keep their
// places; those already sent go). Either way no spare block outlives the
// page, and the pointers restart.
void start_page(MasterWork* job) {
    if (job->feedOnFlush == 0) {
        vrelo::release_all_ranges(&job->offsetMemory, &job->shelf);
        forget_delayed_rows(job);
    } else {
        if (job->ringsRotated == 0 && rotate_rings(job) != VRELO_OK)
            fail_call(job, VRELO_LOCK_FAILED, nullptr);
        release_spare(&job->shelf);
    }
    job->lastLine = -1;
    restart_pointers(job);
    job->feedRemain = 0;
    job->nextStep = 0;
    job->ringsRotated = 0;
    job->pageEnded = 0;
}

int32_t produce(MasterWork* job, int32_t lineNumber, const LinePlanes& planes, OutList** out) {
    job->curLine = lineNumber;
    job->lineGap = static_cast<int64_t>(lineNumber) - job->lastLine;
    job->lastLine = lineNumber;
    if (failed(lock_ranges(&job->offsetMemory, &job->shelf)))
        return fail_call(job, VRELO_LOCK_FAILED, out);
    int32_t status = park_rows(job, planes);
    Walk walk;
    if (status == VRELO_OK) status = begin_walk(&walk, job, job->lineGap);
    if (status == VRELO_OK) status = walk_steps(&walk, job->lineGap, true);
    if (status != VRELO_OK) return fail_call(job, status, out);
    job->nextStep = static_cast<int64_t>(lineNumber) + 1;
    return hand_over_list(job, out, &job->outTable->list);
}

// A flush after a form feed drains from the rings it rotated; otherwise
// from the read position, after the last line produced.
int32_t flush(MasterWork* job, OutList** out) {
    Walk walk;
    int32_t status = begin_page_end(job, &walk, kLongestDelay);
    if (status != VRELO_OK) return fail_call(job, status, out);
    restart_rotated_rings(job);
    status = walk_steps(&walk, kLongestDelay, false);
    if (status != VRELO_OK) return fail_call(job, status, out);
    if (job->feedOnFlush == 1) send_form_feed(&walk);
    return hand_over_page_end(job, out, &job->outTable->list, kLongestDelay);
}

// A further page end on a page goes on where the one before it ended, from
// the rings it rotated: each row still goes out on the step its delay
// gives, and none when the page now ends first.
int32_t form_feed(MasterWork* job, OutList** out, int32_t endLine) {
    const int64_t steps = form_feed_steps(*job, endLine);
    Walk walk;
    int32_t status = begin_page_end(job, &walk, steps);
    if (status == VRELO_OK) {
        restart_rotated_rings(job);
        status = walk_steps(&walk, steps, false);
    }
    if (status != VRELO_OK) return fail_call(job, status, out);
    // Counted only when positive: a far earlier end line walks no step and
    // must not wrap the count the completion takes from it.
    const int64_t counted = steps < -VRELO_MAX_ADVANCE ? -VRELO_MAX_ADVANCE : steps;
    job->feedRemain = static_cast<int32_t>(kLongestDelay - counted);
    return hand_over_page_end(job, out,
                              steps == 0 ? &job->outTable->emptyList : &job->outTable->list,
                              steps > 0 ? steps : 0);
}

}  // namespace

int64_t form_feed_steps(const MasterWork& job, int32_t endLine) {
    return static_cast<int64_t>(endLine) - job.nextStep;
}

int32_t page_end_start(const MasterWork& job) {
    return job.ringsRotated != 0 ? 0 : job.ring.RPointer;
}

// ---- OutputComplete: the write side of the rings catches up with the
// steps the producing call walked, releasing each old row whose slot it
// reuses and storing the new rows; after a form feed the rings are
// rotated to the read position, after a flush they are emptied.

namespace {

// One commit cycle of one colour: release the row the write position still
// names, store the new row (or nothing) there and step on.
int32_t commit(MasterWork* job, int16_t colour, bool storeNewRow) {
    OffsetInfo* slot = write_slot(&job->ring, colour);
    if (release_row(job, slot) != VRELO_OK) return VRELO_LOCK_FAILED;
    if (storeNewRow && colour != 0) {
        OffsetInfo* row = temp_slot(&job->ring, colour);
        *slot = *row;
        *row = kNullInfo;
    }
    advance_write_slot(&job->ring, colour);
    return VRELO_OK;
}

// `count` commit cycles, the last one storing the new rows. Cycles past a
// full turn of every ring only meet null slots: they move the pointers.
int32_t commit_cycles(MasterWork* job, int64_t count) {
    if (count <= 0) return VRELO_OK;
    const int64_t nullCycles = count - 1;
    const int64_t visited = nullCycles < kFullTurn ? nullCycles : kFullTurn;
    for (int64_t k = 0; k < visited; ++k)
        for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
            if (commit(job, colour, false) != VRELO_OK) return VRELO_LOCK_FAILED;
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
        step_write_pointer(&job->ring, colour, static_cast<uint32_t>(nullCycles - visited));
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
        if (commit(job, colour, true) != VRELO_OK) return VRELO_LOCK_FAILED;
    return VRELO_OK;
}

int32_t update_rings(MasterWork* job) {
    if (job->flushSeen != 0) {
        // After a flush nothing waits: every row goes, the pointers stay.
        job->ringsRotated = 0;
        return release_ring_indices(job, false);
    }
    const int64_t count = job->formFeedSeen == 1
                              ? static_cast<int64_t>(kLongestDelay) - job->feedRemain
                              : job->lineGap;
    if (commit_cycles(job, count) != VRELO_OK) return VRELO_LOCK_FAILED;
    if (release_temporary_rows(job) != VRELO_OK) return VRELO_LOCK_FAILED;
    return job->formFeedSeen == 1 ? rotate_rings(job) : VRELO_OK;
}

}  // namespace

int32_t delayed_complete(MasterWork* job) {
    if (failed(unlock_ranges(&job->offsetMemory, &job->shelf)))
        return fail_call(job, VRELO_LOCK_FAILED, nullptr);
    if (update_rings(job) != VRELO_OK) return fail_call(job, VRELO_LOCK_FAILED, nullptr);
    // A skip block that cannot be released keeps the call pending.
    if (failed(release_range(&job->offsetMemory, &job->skipInfo, &job->shelf)))
        return VRELO_LOCK_FAILED;
    // Past a page end only the blocks of rows still waiting stay.
    if (job->flushSeen != 0 || job->formFeedSeen != 0) release_spare(&job->shelf);
    close_completed_call(job);
    return VRELO_OK;
}

const ModeCalls kDelayedMode = {configure,           start_page,
                                forget_delayed_rows, produce,
                                delayed_complete,    flush,
                                form_feed,           check_delayed_produce,
                                check_delayed_flush, check_delayed_form_feed};

}  // namespace vrelo
