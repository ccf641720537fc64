// The read pointer (one line-step counter for all colours) and the write
// pointers (one ring index per colour): setting up and advancing them.
#include "delay/ring_slot.hpp"
#include "platform/api.hpp"

VRELO_API void InitRPointer(RingBuf* ring) {
    if (ring != nullptr) ring->RPointer = 0;
}

VRELO_API void ResetReadPtr(RingBuf* ring) { InitRPointer(ring); }

VRELO_API void IncreaseReadPtr(RingBuf* ring) {
    if (ring == nullptr) return;
    // The counter is never wrapped on purpose, but a long run or a host's
    // value must not overflow a signed int: step it as unsigned, which the
    // ring arithmetic follows without a jump.
    ring->RPointer =
        static_cast<int32_t>(static_cast<uint32_t>(ring->RPointer) + 1u);
}

// A row stored now is read ColorOffset[c] line steps later, so each write
// pointer starts that far ahead of the read pointer.
VRELO_API void InitWPointer(RingBuf* ring) {
    if (ring == nullptr) return;
    for (int16_t c = 0; c < VRELO_COLOURS; ++c)
        ring->WPointer[c] = ColorOffset[c];
}

VRELO_API void IncreaseWritePtr(RingBuf* ring, int16_t colour) {
    // Black's single slot is always its write position: its pointer stays.
    if (ring == nullptr || !vrelo::valid_colour(colour) || colour == 0) return;
    const int32_t next = vrelo::ring_index(ring->WPointer[colour], colour) + 1;
    ring->WPointer[colour] = next == ColorBufsize[colour] ? 0 : next;
}
