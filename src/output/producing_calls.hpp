// What the producing and completing calls share across the two modes: the
// per-mode bodies they dispatch to, the common start and the failure exit.
#ifndef VRELO_OUTPUT_PRODUCING_CALLS_HPP
#define VRELO_OUTPUT_PRODUCING_CALLS_HPP

#include "output/line_planes.hpp"
#include "output/master_work.hpp"

namespace vrelo {

// The mode-specific part of each call. The exported calls have already
// checked the arguments, done the common start and passed the produced
// gate; each body ends with the list handed over or the failure exit.
struct ModeCalls {
    int32_t (*produce)(MasterWork* job, int32_t lineNumber,
                       const LinePlanes& planes, OutList** out);
    int32_t (*complete)(MasterWork* job);
    int32_t (*flush)(MasterWork* job, OutList** out);
    int32_t (*formFeed)(MasterWork* job, OutList** out, int32_t endLine);
    // Before anything changes: VRELO_BAD_ARGUMENT when the call could not
    // be carried out as asked (an advance above VRELO_MAX_ADVANCE, a line
    // that cannot be placed), else VRELO_OK.
    int32_t (*checkProduce)(const MasterWork& job, int32_t lineNumber,
                            const LinePlanes& planes);
    int32_t (*checkFlush)(const MasterWork& job);
    int32_t (*checkFormFeed)(const MasterWork& job, int32_t endLine);
};

extern const ModeCalls kDirectMode;
extern const ModeCalls kDelayedMode;

// The skip commands of one call may add up to VRELO_MAX_ADVANCE lines.
inline bool advance_allowed(int64_t lines) {
    return lines <= VRELO_MAX_ADVANCE;
}

// Common start of OutputProduce, OutputFlush and OutputFormFeed: the table
// is reached through outTable and the primary list starts at entry 0.
void start_producing_call(MasterWork* job);

// The one exit of every refusal and failure of the four calls: releases
// every range of the sub-allocator, clears produced and empties the chunk
// table. A VRELO_RANGE_FAILED (positive) also stores the empty list through
// out, when there is one, so a host testing the sign sends nothing. Returns
// status.
int32_t fail_call(MasterWork* job, int32_t status, OutList** out);

// Hands list to the host; the call is pending until OutputComplete.
int32_t hand_over_list(MasterWork* job, OutList** out, OutList* list);

// A completed call: no table in use, no list pending, no page end seen.
void end_pending_call(MasterWork* job);

}  // namespace vrelo

#endif
