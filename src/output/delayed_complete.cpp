// Delayed-mode OutputComplete: the write side of the rings catches up with
// the steps the producing call walked, releasing each old row whose slot it
// reuses and storing the new rows; after a form feed the rings are rotated
// to the read position, after a flush they are emptied.
#include "offsetmem/offset_alloc.hpp"
#include "delay/delay_timing.hpp"
#include "delay/ring_pointers.hpp"
#include "delay/ring_slots.hpp"
#include "output/call_protocol.hpp"
#include "output/delayed_mode.hpp"
#include "output/delayed_rows.hpp"

namespace vrelo {
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
        step_write_pointer(&job->ring, colour,
                           static_cast<uint32_t>(nullCycles - visited));
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
    if (update_rings(job) != VRELO_OK)
        return fail_call(job, VRELO_LOCK_FAILED, nullptr);
    // A skip block that cannot be released keeps the call pending.
    if (failed(release_range(&job->offsetMemory, &job->skipInfo, &job->shelf)))
        return VRELO_LOCK_FAILED;
    // Past a page end only the blocks of rows still waiting stay.
    if (job->flushSeen != 0 || job->formFeedSeen != 0)
        release_spare(&job->shelf);
    close_completed_call(job);
    return VRELO_OK;
}

}  // namespace vrelo
