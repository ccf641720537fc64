// Addressing inside a RingBuf: which slot a colour's accessor works on.
// Every accessor of the delay lines goes through ring_slot, so the colour
// check and the ring arithmetic exist once.
#ifndef VRELO_DELAY_RING_SLOT_HPP
#define VRELO_DELAY_RING_SLOT_HPP

#include "offsetmem/null_info.hpp"
#include "vrelo417.h"

namespace vrelo {

enum class RingPosition {
    temp,    // the colour's TempBuf slot
    read,    // ring index RPointer mod ring size
    write,   // ring index WPointer[colour] mod ring size
    indexed  // ring index given by the caller, refused outside the ring
};

bool valid_colour(int16_t colour);

// Ring index of a pointer value: its remainder by the colour's ring size,
// always in 0..size-1 whatever the value, negative or near the int32 limits.
// The colour must already have passed valid_colour.
int32_t ring_index(int32_t pointer, int16_t colour);

// The slot an accessor works on, or nullptr when the store is missing, the
// colour is outside 0..5 (checked before any table is read) or an indexed
// position lies outside the colour's ring.
OffsetInfo* ring_slot(RingBuf* ring, int16_t colour, RingPosition where,
                      int32_t index = 0);
const OffsetInfo* ring_slot(const RingBuf* ring, int16_t colour,
                            RingPosition where, int32_t index = 0);

}  // namespace vrelo

#endif
