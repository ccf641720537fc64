// The producing side of the delay lines: parking the current line's row in
// a colour's temporary slot and reading the row due at the read position.
#include "delay/slot_copy.hpp"
#include "platform/api.hpp"

using vrelo::ring_slot;
using vrelo::RingPosition;

VRELO_API int32_t SetOffsetInfo(RingBuf* ring, const OffsetInfo* ref,
                                int16_t colour) {
    return vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::temp),
                                 ref);
}

VRELO_API int32_t RefOutbufTempInfo(RingBuf* ring, int16_t colour,
                                    OffsetInfo* ref) {
    return vrelo::copy_from_slot(ring_slot(ring, colour, RingPosition::temp),
                                 ref);
}

VRELO_API int32_t RefOutbufTempLength(RingBuf* ring, int16_t colour) {
    return vrelo::length_in_slot(ring_slot(ring, colour, RingPosition::temp));
}

VRELO_API int32_t RefOutbufReadInfo(RingBuf* ring, int16_t colour,
                                    OffsetInfo* ref) {
    return vrelo::copy_from_slot(ring_slot(ring, colour, RingPosition::read),
                                 ref);
}

VRELO_API int32_t RefOutbufReadLength(RingBuf* ring, int16_t colour) {
    return vrelo::length_in_slot(ring_slot(ring, colour, RingPosition::read));
}

VRELO_API int32_t SetOutbufReadInfo(RingBuf* ring, int16_t colour,
                                    OffsetInfo* ref) {
    return vrelo::copy_into_slot_or_clear(
        ring_slot(ring, colour, RingPosition::read), ref);
}
