// The read pointer (one line-step counter for all colours) and the write
// pointers (one ring index per colour): setting up and advancing them.
#include "delay/ring_pointers.hpp"
#include "delay/ring_slots.hpp"

namespace vrelo {

void step_read_pointer(RingBuf* ring, uint32_t steps) {
    if (ring == nullptr) return;
    // The counter is never wrapped on purpose, but a long run or a host's
    // value must not overflow a signed int: step it as unsigned, which the
    // ring arithmetic follows without a jump (every ring size divides 2^32).
    ring->RPointer = static_cast<int32_t>(static_cast<uint32_t>(ring->RPointer) + steps);
}

void step_write_pointer(RingBuf* ring, int16_t colour, uint32_t steps) {
    // Black's single slot is always its write position: its pointer stays.
    if (ring == nullptr || !valid_colour(colour) || colour == 0) return;
    const uint32_t size = static_cast<uint32_t>(ColorBufsize[colour]);
    const uint32_t at = static_cast<uint32_t>(ring_index(ring->WPointer[colour], colour));
    ring->WPointer[colour] = static_cast<int32_t>((at + steps % size) % size);
}

}  // namespace vrelo

VRELO_API void InitRPointer(RingBuf* ring) {
    if (ring != nullptr) ring->RPointer = 0;
}

VRELO_API void ResetReadPtr(RingBuf* ring) {
    InitRPointer(ring);
}

VRELO_API void IncreaseReadPtr(RingBuf* ring) {
    vrelo::step_read_pointer(ring, 1);
}

// A row stored now is read ColorOffset[c] line steps later, so each write
// pointer starts that far ahead of the read pointer.
VRELO_API void InitWPointer(RingBuf* ring) {
    if (ring == nullptr) return;
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) ring->WPointer[c] = ColorOffset[c];
}

VRELO_API void IncreaseWritePtr(RingBuf* ring, int16_t colour) {
    vrelo::step_write_pointer(ring, colour, 1);
}
