// Rotating a colour's ring so that the row at its read position becomes ring
// index 0, keeping the cyclic order; done after a form feed, before the
// pointers are set back for the next page.
#include "delay/ring_slot.hpp"
#include "platform/api.hpp"
#include "platform/memory.hpp"

VRELO_API int32_t ResetRingBuf(RingBuf* ring, int16_t colour) {
    OffsetInfo* ring_start =
        vrelo::ring_slot(ring, colour, vrelo::RingPosition::indexed, 0);
    if (ring_start == nullptr) return VRELO_FAILED;
    const int32_t size = ColorBufsize[colour];
    const int32_t shift = vrelo::ring_index(ring->RPointer, colour);

    // The ring goes out whole into a scratch block and comes back rotated,
    // so no slot is overwritten before it has been copied. The block is
    // obtained even when shift is 0: the caller meets the same failure
    // whatever the read position.
    PtrHandle scratch;
    const int32_t bytes = size * static_cast<int32_t>(sizeof(OffsetInfo));
    if (MyNewPH(bytes, &scratch) < VRELO_OK) return VRELO_FAILED;
    OffsetInfo* copy = vrelo::handle_target<OffsetInfo>(scratch);
    for (int32_t k = 0; k < size; ++k) copy[k] = ring_start[(shift + k) % size];
    for (int32_t k = 0; k < size; ++k) ring_start[k] = copy[k];
    MyDisposePH(&scratch);
    return VRELO_OK;
}
