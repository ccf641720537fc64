// The line-step walk of delayed mode, and the bound on the paper advance
// each producing call sends or leaves to be sent (see delayed_mode.hpp).
#include "delay/ring_pointers.hpp"
#include "delay/ring_slots.hpp"
#include "offsetmem/offset_alloc.hpp"
#include "output/call_protocol.hpp"
#include "output/delayed_mode.hpp"
#include "platform/records.hpp"

namespace vrelo {
namespace {

// Steps of a walk of `steps` on which the rings can send a row: those
// within the longest delay.
int64_t ring_reach(int64_t steps) {
    return steps < kLongestDelay ? steps : kLongestDelay;
}

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
    const int64_t sending = walked < kMostSendingSteps ? walked : kMostSendingSteps;
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
    const int64_t reach = ring_reach(steps);
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

// ---- The advance bound.
// Delayed mode's bound on paper advances, checked before a call changes
// anything. The skip commands of one call add up to at most
// VRELO_MAX_ADVANCE lines, counted as sent, and a line is taken only when
// every row it leaves in the rings can still go out within that bound, so
// a page end never has to send more.

namespace {

// The last step of a walk of `steps` steps from read pointer `start` on
// which the rings send a row, or -1 when they send none. Only steps within
// the longest delay can.
int64_t last_ring_row_step(const MasterWork& job, int32_t start, int64_t steps) {
    const int64_t reach = ring_reach(steps);
    for (int64_t step = reach - 1; step >= 0; --step) {
        const int32_t pointer = static_cast<int32_t>(static_cast<uint32_t>(start) + step);
        for (int16_t colour = 1; colour < VRELO_COLOURS; ++colour) {
            if (!due_from_rings(colour, step)) continue;
            const int32_t index = ring_index(pointer, colour);
            if (!is_null_info(ring_slot(&job.ring, colour, RingPosition::indexed, index)))
                return step;
        }
    }
    return -1;
}

// Page ends send rows from the rings only: what is owed and the steps up
// to the last of them.
int32_t check_page_end(const MasterWork& job, int64_t steps) {
    const int64_t reach = ring_reach(steps);
    // Even a row on the walk's last possible step would fit.
    if (advance_allowed(job.blankRun + reach - 1)) return VRELO_OK;
    const int64_t last = last_ring_row_step(job, page_end_start(job), steps);
    return last < 0 || advance_allowed(job.blankRun + last) ? VRELO_OK : VRELO_BAD_ARGUMENT;
}

// The longest delay among the colours 1 to 5 with a row on the line, or 0
// when none has one.
int32_t longest_colour_delay(const LinePlanes& planes) {
    int32_t longest = 0;
    for (int16_t colour = 1; colour < VRELO_COLOURS; ++colour)
        if (planes.ink[colour] && ColorOffset[colour] > longest) longest = ColorOffset[colour];
    return longest;
}

}  // namespace

// The line must come after the previous one, on a page no flush or form
// feed has ended: the steps up to it were walked already, so its rows
// could never be sent where they belong. A line counts what it sends and
// what it leaves to be sent, not how far on it lies: a black row brings
// the paper to the line in this call, and every row of the line's other
// colours follows within the longest delay of it; without black the paper
// stands at the walk's last row from the rings, or where it stood before.
// A line without ink sends nothing of its own and leaves nothing.
int32_t check_delayed_produce(const MasterWork& job, int32_t lineNumber, const LinePlanes& planes) {
    const int64_t gap = static_cast<int64_t>(lineNumber) - job.lastLine;
    if (gap <= 0 || job.pageEnded != 0) return VRELO_BAD_ARGUMENT;
    const int64_t toLine = job.blankRun + gap - 1;
    if (planes.ink[0]) return advance_allowed(toLine) ? VRELO_OK : VRELO_BAD_ARGUMENT;
    const int32_t delay = longest_colour_delay(planes);
    if (delay == 0 || advance_allowed(toLine + delay)) return VRELO_OK;
    const int64_t last = last_ring_row_step(job, job.ring.RPointer, gap);
    const int64_t owedAtLine = last < 0 ? toLine : gap - 1 - last;
    return advance_allowed(owedAtLine + delay) ? VRELO_OK : VRELO_BAD_ARGUMENT;
}

int32_t check_delayed_flush(const MasterWork& job) {
    return check_page_end(job, kLongestDelay);
}

int32_t check_delayed_form_feed(const MasterWork& job, int32_t endLine) {
    return check_page_end(job, form_feed_steps(job, endLine));
}

}  // namespace vrelo
