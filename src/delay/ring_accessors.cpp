// The exported accessors of the delay-line store: emptying it, the
// temporary slots, the slots at the read and write positions, any slot by
// explicit index, and rotating a ring after a form feed. Each one finds
// its slot through ring_slot and copies references by value.
#include "delay/ring_slots.hpp"
#include "platform/memory.hpp"

using vrelo::ring_slot;
using vrelo::RingPosition;

namespace {

void empty_slots(OffsetInfo* first, int32_t count) {
    for (int32_t i = 0; i < count; ++i) first[i] = vrelo::kNullInfo;
}

}  // namespace

VRELO_API void InitRingBuf(RingBuf* ring) {
    if (ring != nullptr) empty_slots(ring->Outbuf, VRELO_RING_OUTBUF_SLOTS);
}

VRELO_API void InitTempBuf(RingBuf* ring) {
    if (ring != nullptr) empty_slots(ring->TempBuf, VRELO_COLOURS);
}

VRELO_API int32_t SetOffsetInfo(RingBuf* ring, const OffsetInfo* ref, int16_t colour) {
    return vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::temp), ref);
}

// The accessors that differ only in their slot and the copy they make:
// one line each below, the rules of both in ring_slots.hpp.
#define VRELO_SLOT_ACCESSOR(name, copy, position)                            \
    VRELO_API int32_t name(RingBuf* ring, int16_t colour, OffsetInfo* ref) { \
        return vrelo::copy(ring_slot(ring, colour, position), ref);          \
    }
VRELO_SLOT_ACCESSOR(RefOutbufTempInfo, copy_from_slot, RingPosition::temp)
VRELO_SLOT_ACCESSOR(RefOutbufReadInfo, copy_from_slot, RingPosition::read)
VRELO_SLOT_ACCESSOR(RefOutbufWriteInfo, copy_from_slot, RingPosition::write)
VRELO_SLOT_ACCESSOR(SetOutbufReadInfo, copy_into_slot_or_clear, RingPosition::read)
VRELO_SLOT_ACCESSOR(SetOutbufWriteInfo, copy_into_slot_or_clear, RingPosition::write)
#undef VRELO_SLOT_ACCESSOR

VRELO_API int32_t RefOutbufTempLength(RingBuf* ring, int16_t colour) {
    return vrelo::length_in_slot(ring_slot(ring, colour, RingPosition::temp));
}

VRELO_API int32_t RefOutbufReadLength(RingBuf* ring, int16_t colour) {
    return vrelo::length_in_slot(ring_slot(ring, colour, RingPosition::read));
}

// The job passes the reference it has just released; only the slot counts.
VRELO_API int32_t ResetOffsetInfo(RingBuf* ring, const OffsetInfo* /*ignored*/, int16_t colour) {
    return vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::write), &vrelo::kNullInfo);
}

// The write pointer stays: the job advances it separately, once per step.
VRELO_API int32_t CopyTempToOutbuf(RingBuf* ring, int16_t colour) {
    OffsetInfo* temp = ring_slot(ring, colour, RingPosition::temp);
    if (vrelo::failed(vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::write), temp)))
        return VRELO_FAILED;
    *temp = vrelo::kNullInfo;
    return VRELO_OK;
}

// An index outside the ring is not an error here: the reference comes back
// null, and the result is VRELO_OPTIONAL_DONE whatever happened.
VRELO_API int32_t RefOptionalBuf(RingBuf* ring, int16_t colour, int32_t index, OffsetInfo* ref) {
    vrelo::copy_from_slot(ring_slot(ring, colour, RingPosition::indexed, index), ref);
    return VRELO_OPTIONAL_DONE;
}

VRELO_API int32_t SetOptionalBuf(RingBuf* ring, int16_t colour, int32_t index,
                                 const OffsetInfo* ref) {
    vrelo::copy_into_slot(ring_slot(ring, colour, RingPosition::indexed, index), ref);
    return VRELO_OPTIONAL_DONE;
}

// Rotates the ring so that the row at its read position becomes ring index
// 0, keeping the cyclic order. The ring goes out whole into a scratch block
// and comes back rotated, so no slot is overwritten before it has been
// copied. The block is obtained even when the read position is index 0:
// the caller meets the same failure whatever the read position.
VRELO_API int32_t ResetRingBuf(RingBuf* ring, int16_t colour) {
    OffsetInfo* ringStart = ring_slot(ring, colour, RingPosition::indexed, 0);
    if (ringStart == nullptr) return VRELO_FAILED;
    const int32_t size = ColorBufsize[colour];
    const int32_t shift = vrelo::ring_index(ring->RPointer, colour);
    PtrHandle scratch;
    const int32_t bytes = size * static_cast<int32_t>(sizeof(OffsetInfo));
    if (vrelo::failed(MyNewPH(bytes, &scratch))) return VRELO_FAILED;
    OffsetInfo* copy = vrelo::handle_target<OffsetInfo>(scratch);
    for (int32_t k = 0; k < size; ++k) copy[k] = ringStart[(shift + k) % size];
    for (int32_t k = 0; k < size; ++k) ringStart[k] = copy[k];
    MyDisposePH(&scratch);
    return VRELO_OK;
}
