// The completing side of the delay lines: the slot at a colour's write
// position, moving the temporary row into its ring, and any ring slot
// reached by explicit index.
#include "delay/slot_copy.hpp"
#include "platform/api.hpp"

using vrelo::ring_slot;
using vrelo::RingPosition;

VRELO_API int32_t RefOutbufWriteInfo(RingBuf* ring, int16_t colour,
                                     OffsetInfo* ref) {
    return vrelo::copy_from_slot(ring_slot(ring, colour, RingPosition::write),
                                 ref);
}

// The job passes the reference it has just released; only the slot counts.
VRELO_API int32_t ResetOffsetInfo(RingBuf* ring, const OffsetInfo* /*ignored*/,
                                  int16_t colour) {
    return vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::write),
                                 &vrelo::kNullInfo);
}

VRELO_API int32_t SetOutbufWriteInfo(RingBuf* ring, int16_t colour,
                                     OffsetInfo* ref) {
    return vrelo::copy_into_slot_or_clear(
        ring_slot(ring, colour, RingPosition::write), ref);
}

// The write pointer stays: the job advances it separately, once per step.
VRELO_API int32_t CopyTempToOutbuf(RingBuf* ring, int16_t colour) {
    OffsetInfo* temp = ring_slot(ring, colour, RingPosition::temp);
    if (vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::write),
                              temp) != VRELO_OK)
        return VRELO_FAILED;
    *temp = vrelo::kNullInfo;
    return VRELO_OK;
}

// An index outside the ring is not an error here: the reference comes back
// null, and the result is VRELO_OPTIONAL_DONE whatever happened.
VRELO_API int32_t RefOptionalBuf(RingBuf* ring, int16_t colour, int32_t index,
                                 OffsetInfo* ref) {
    vrelo::copy_from_slot(ring_slot(ring, colour, RingPosition::indexed, index),
                          ref);
    return VRELO_OPTIONAL_DONE;
}

VRELO_API int32_t SetOptionalBuf(RingBuf* ring, int16_t colour, int32_t index,
                                 const OffsetInfo* ref) {
    vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::indexed, index),
                          ref);
    return VRELO_OPTIONAL_DONE;
}
