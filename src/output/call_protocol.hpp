// The call protocol of OutputProduce, OutputComplete, OutputFlush and
// OutputFormFeed, shared by both modes: the table of each mode's steps,
// the choice of that table, the hand-over of a list, the close of a
// completed call and the one failure exit.
#ifndef VRELO_OUTPUT_CALL_PROTOCOL_HPP
#define VRELO_OUTPUT_CALL_PROTOCOL_HPP

#include "output/line_planes.hpp"
#include "output/master_work.hpp"

namespace vrelo {

// Every step of the job that depends on its mode. Nothing outside mode_of
// asks which mode a job is in: the calls run these.
struct ModeCalls {
    // OutputInit, once the job has taken this mode and every range of its
    // sub-allocator has been released.
    void (*configure)(MasterWork* job);
    // OutputInitPart, after a list still pending has been completed and
    // the counters and the state are reset.
    void (*startPage)(MasterWork* job);
    // The failure exit, once every range has been released: whatever still
    // names one must never be sent or released again.
    void (*forgetRows)(MasterWork* job);

    // The bodies of the four calls. The exported calls have already
    // checked the arguments, done the common start and passed the produced
    // gate; each body ends with the list handed over, the completed call
    // closed, or the failure exit.
    int32_t (*produce)(MasterWork* job, int32_t lineNumber, const LinePlanes& planes,
                       OutList** out);
    int32_t (*complete)(MasterWork* job);
    int32_t (*flush)(MasterWork* job, OutList** out);
    int32_t (*formFeed)(MasterWork* job, OutList** out, int32_t endLine);

    // Before anything changes: VRELO_BAD_ARGUMENT when the call could not
    // be carried out as asked (an advance above VRELO_MAX_ADVANCE, a line
    // that cannot be placed), else VRELO_OK.
    int32_t (*checkProduce)(const MasterWork& job, int32_t lineNumber, const LinePlanes& planes);
    int32_t (*checkFlush)(const MasterWork& job);
    int32_t (*checkFormFeed)(const MasterWork& job, int32_t endLine);
};

extern const ModeCalls kDirectMode;
extern const ModeCalls kDelayedMode;

// The steps of the job's mode.
const ModeCalls& mode_of(const MasterWork& job);

// The skip commands of one call may add up to VRELO_MAX_ADVANCE lines.
inline bool advance_allowed(int64_t lines) {
    return lines <= VRELO_MAX_ADVANCE;
}

// Hands list to the host; the call is pending until OutputComplete.
int32_t hand_over_list(MasterWork* job, OutList** out, OutList* list);

// A completed call: the list's entries emptied (they point into memory the
// next call rewrites or releases), no table in use, no list pending, no
// page end seen.
void close_completed_call(MasterWork* job);

// The one exit of every refusal and failure of the four calls: releases
// every range of the sub-allocator, makes the mode forget what named them,
// clears produced and empties the chunk table. A VRELO_RANGE_FAILED
// (positive) also stores the empty list through out, when there is one, so
// a host testing the sign sends nothing. Returns status.
int32_t fail_call(MasterWork* job, int32_t status, OutList** out);

}  // namespace vrelo

#endif
