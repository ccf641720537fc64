// Emptying the delay lines: all rings at once, or the six temporary slots.
#include "delay/ring_slot.hpp"
#include "platform/api.hpp"

namespace {

void empty_slots(OffsetInfo* first, int32_t count) {
    for (int32_t i = 0; i < count; ++i) first[i] = vrelo::kNullInfo;
}

}  // namespace

VRELO_API void InitRingBuf(RingBuf* ring) {
    if (ring != nullptr) empty_slots(ring->Outbuf, RING_OUTBUF_SLOTS);
}

VRELO_API void InitTempBuf(RingBuf* ring) {
    if (ring != nullptr) empty_slots(ring->TempBuf, VRELO_COLOURS);
}
