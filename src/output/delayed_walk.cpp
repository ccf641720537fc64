// The line-step walk of delayed mode (see delayed_walk.hpp).
#include "output/delayed_walk.hpp"

#include "delay/ring_pointers.hpp"
#include "delay/ring_slots.hpp"
#include "offsetmem/offset_alloc.hpp"
#include "platform/records.hpp"

namespace vrelo {
namespace {

// The paper advance owed, as raster-skip commands of their own chunks.
void send_owed_advance(Walk* walk) {
    OutStrct* table = walk->job->outTable;
    split_into_pieces(walk->owed, [&](int32_t piece) {
        WriteSkipCommand(piece, walk->skipCursor);
        SetOutStrct(table, walk->skipCursor, kSkipCommandBytes);
        walk->skipCursor += kSkipCommandBytes;
    });
    walk->owed = 0;
}

// The reference due for a colour on step `step` of a walk of `steps`: a
// row of a line given before this call sits at the read position while the
// step lies within the colour's delay; black's row of the line being
// produced comes from its temporary slot on the last step. Later steps of
// other colours belong to lines inside the current gap: nothing is due.
const OffsetInfo* due_row(MasterWork* job, int16_t colour, int64_t step, int64_t steps,
                          bool blackOnLast) {
    if (due_from_rings(colour, step)) return read_slot(&job->ring, colour);
    if (colour == 0 && blackOnLast && step == steps - 1) return temp_slot(&job->ring, colour);
    return &kNullInfo;
}

int32_t send_step(Walk* walk, int64_t step, int64_t steps, bool blackOnLast) {
    MasterWork* job = walk->job;
    bool firstRow = true;
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        const OffsetInfo* ref = due_row(job, colour, step, steps, blackOnLast);
        if (is_null_info(ref)) continue;
        if (firstRow) send_owed_advance(walk);
        firstRow = false;
        uint8_t* row = range_address(&job->offsetMemory, ref, &job->shelf);
        if (row == nullptr) return walk->failStatus;
        SetOutStrct(job->outTable, row, ref->length);
    }
    ++walk->owed;
    IncreaseReadPtr(&job->ring);
    return VRELO_OK;
}

}  // namespace

int32_t skip_block_bytes(int64_t steps, int64_t owed) {
    const int64_t walked = steps > 0 ? steps : 0;
    const int64_t sending =
        walked < kMostSendingSteps ? walked : kMostSendingSteps;
    // The checks let no call send more than the bound in all.
    const int64_t reach = owed + walked;
    const int64_t sent = reach < VRELO_MAX_ADVANCE ? reach : VRELO_MAX_ADVANCE;
    const int64_t commands = sending + sent / kLongestSkip;
    return static_cast<int32_t>(commands * kSkipCommandBytes + 1);
}

int32_t begin_walk(Walk* walk, MasterWork* job, int64_t steps) {
    walk->job = job;
    walk->owed = job->blankRun;
    // Sized for this walk rather than the largest one: a small block fits
    // the gaps the rows leave, so a short line creates no data block.
    return failed(allocate_range(&job->offsetMemory, &job->skipInfo,
                                 skip_block_bytes(steps, walk->owed), &job->shelf,
                                 &walk->skipCursor))
               ? VRELO_RANGE_FAILED
               : VRELO_OK;
}

int32_t walk_steps(Walk* walk, int64_t steps, bool blackOnLast) {
    const int64_t reach = steps < kLongestDelay ? steps : kLongestDelay;
    for (int64_t step = 0; step < reach; ++step) {
        const int32_t status = send_step(walk, step, steps, blackOnLast);
        if (status != VRELO_OK) return status;
    }
    // Beyond the longest delay nothing is due but the black row of the
    // last step: the steps in between only add to the advance.
    const int64_t silent = steps - reach - (steps > reach && blackOnLast);
    if (silent > 0) {
        walk->owed += silent;
        step_read_pointer(&walk->job->ring, static_cast<uint32_t>(silent));
    }
    if (steps > reach && blackOnLast) {
        const int32_t status = send_step(walk, steps - 1, steps, blackOnLast);
        if (status != VRELO_OK) return status;
    }
    walk->job->blankRun = walk->owed;
    return VRELO_OK;
}

void send_form_feed(Walk* walk) {
    *walk->skipCursor = kFormFeed;
    SetOutStrct(walk->job->outTable, walk->skipCursor, 1);
    ++walk->skipCursor;
}

}  // namespace vrelo
