// Delayed mode's bound on paper advances, checked before a call changes
// anything. The skip commands of one call add up to at most
// VRELO_MAX_ADVANCE lines, counted as sent, and a line is taken only when
// every row it leaves in the rings can still go out within that bound, so
// a page end never has to send more.
#include "delay/ring_slots.hpp"
#include "output/delayed_mode.hpp"
#include "output/delayed_walk.hpp"
#include "output/call_protocol.hpp"

namespace vrelo {
namespace {

// The last step of a walk of `steps` steps from read pointer `start` on
// which the rings send a row, or -1 when they send none. Only steps within
// the longest delay can.
int64_t last_ring_row_step(const MasterWork& job, int32_t start,
                           int64_t steps) {
    const int64_t reach = steps < kLongestDelay ? steps : kLongestDelay;
    for (int64_t step = reach - 1; step >= 0; --step) {
        const int32_t pointer =
            static_cast<int32_t>(static_cast<uint32_t>(start) + step);
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
    const int64_t reach = steps < kLongestDelay ? steps : kLongestDelay;
    // Even a row on the walk's last possible step would fit.
    if (advance_allowed(job.blankRun + reach - 1)) return VRELO_OK;
    const int64_t last = last_ring_row_step(job, page_end_start(job), steps);
    return last < 0 || advance_allowed(job.blankRun + last) ? VRELO_OK
                                                            : VRELO_BAD_ARGUMENT;
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
int32_t check_delayed_produce(const MasterWork& job, int32_t lineNumber,
                              const LinePlanes& planes) {
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
