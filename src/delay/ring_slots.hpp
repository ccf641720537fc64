// Addressing inside a RingBuf and copying references in and out of its
// slots. Every accessor of the delay lines goes through ring_slot and these
// copies, so the colour check, the ring arithmetic and the failure rules
// exist once: a missing slot (bad colour, missing store) or a missing
// caller reference fails, nothing in the store changes, and a reader's
// out-reference is emptied.
#ifndef VRELO_DELAY_RING_SLOTS_HPP
#define VRELO_DELAY_RING_SLOTS_HPP

#include "delay/delay_timing.hpp"
#include "platform/records.hpp"

namespace vrelo {

enum class RingPosition {
    temp,    // the colour's TempBuf slot
    read,    // ring index RPointer mod ring size
    write,   // ring index WPointer[colour] mod ring size
    indexed  // ring index given by the caller, refused outside the ring
};

inline bool valid_colour(int16_t colour) {
    return colour >= 0 && colour < VRELO_COLOURS;
}

// Ring index of a pointer value: its remainder by the colour's ring size,
// always in 0..size-1 whatever the value, negative or near the int32 limits.
// Every ring size is a power of two dividing 2^32, so the masked pointer is
// the true (never negative) remainder, and consecutive pointer values stay
// on consecutive ring indexes even where the counter wraps past INT32_MAX.
// The colour must already have passed valid_colour.
inline int32_t ring_index(int32_t pointer, int16_t colour) {
    const uint32_t mask = static_cast<uint32_t>(ring_size(colour)) - 1;
    return static_cast<int32_t>(static_cast<uint32_t>(pointer) & mask);
}

// The slots at a colour's read and write positions and its temporary slot,
// for callers that know the colour is valid: the job's line calls, which
// visit them on every step. Black's ring is the single slot 0: any pointer
// lands on index 0.
inline OffsetInfo* read_slot(RingBuf* ring, int16_t colour) {
    return &ring->Outbuf[ring_first(colour) + ring_index(ring->RPointer, colour)];
}
inline OffsetInfo* write_slot(RingBuf* ring, int16_t colour) {
    return &ring->Outbuf[ring_first(colour) + ring_index(ring->WPointer[colour], colour)];
}
inline OffsetInfo* temp_slot(RingBuf* ring, int16_t colour) {
    return &ring->TempBuf[colour];
}
// The colour's write pointer one step on round its ring; black's single
// slot is always its write position, so its pointer stays.
inline void advance_write_slot(RingBuf* ring, int16_t colour) {
    if (colour != 0) ring->WPointer[colour] = ring_index(ring->WPointer[colour] + 1, colour);
}

// The slot an accessor works on, or nullptr when the store is missing, the
// colour is outside 0..5 (checked before any table is read) or an indexed
// position lies outside the colour's ring.
OffsetInfo* ring_slot(RingBuf* ring, int16_t colour, RingPosition where, int32_t index = 0);
const OffsetInfo* ring_slot(const RingBuf* ring, int16_t colour, RingPosition where,
                            int32_t index = 0);

// ref = *slot; without a slot, ref = the null reference.
inline int32_t copy_from_slot(const OffsetInfo* slot, OffsetInfo* ref) {
    if (ref == nullptr) return VRELO_FAILED;
    *ref = slot != nullptr ? *slot : kNullInfo;
    return slot != nullptr ? VRELO_OK : VRELO_FAILED;
}

// *slot = ref; without a slot the caller's reference is left as it is.
inline int32_t copy_into_slot(OffsetInfo* slot, const OffsetInfo* ref) {
    if (slot == nullptr || ref == nullptr) return VRELO_FAILED;
    *slot = *ref;
    return VRELO_OK;
}

// As copy_into_slot, but a refused store also empties the caller's
// reference, so a host cannot mistake it for a stored row.
inline int32_t copy_into_slot_or_clear(OffsetInfo* slot, OffsetInfo* ref) {
    if (slot == nullptr && ref != nullptr) *ref = kNullInfo;
    return copy_into_slot(slot, ref);
}

// Rotates the colour's ring in place so that the slot at its read position
// becomes ring index 0, keeping the cyclic order: ResetRingBuf's result
// without its scratch block, so it cannot fail. The colour must be valid.
void rotate_to_read_position(RingBuf* ring, int16_t colour);

inline int32_t length_in_slot(const OffsetInfo* slot) {
    return slot != nullptr ? slot->length : 0;
}

}  // namespace vrelo

#endif
