// Slot arithmetic of the delay lines: the six rings lie back to back in
// Outbuf in colour order, each as long as its ring size.
#include "delay/ring_slots.hpp"

namespace vrelo {

int32_t ring_index(int32_t pointer, int16_t colour) {
    // Every ring size is a power of two dividing 2^32, so the masked pointer
    // is the true (never negative) remainder, and consecutive pointer values
    // stay on consecutive ring indexes even where the counter wraps past
    // INT32_MAX.
    const uint32_t mask = static_cast<uint32_t>(ring_size(colour)) - 1;
    return static_cast<int32_t>(static_cast<uint32_t>(pointer) & mask);
}

OffsetInfo* ring_slot(RingBuf* ring, int16_t colour, RingPosition where,
                      int32_t index) {
    if (ring == nullptr || !valid_colour(colour)) return nullptr;
    switch (where) {
        case RingPosition::temp:
            return &ring->TempBuf[colour];
        case RingPosition::read:
            index = ring_index(ring->RPointer, colour);
            break;
        case RingPosition::write:
            index = ring_index(ring->WPointer[colour], colour);
            break;
        case RingPosition::indexed:
            if (index < 0 || index >= ring_size(colour)) return nullptr;
            break;
    }
    // Black's ring is the single slot 0: any pointer lands on index 0.
    return &ring->Outbuf[ring_first(colour) + index];
}

namespace {

void reverse_slots(OffsetInfo* first, OffsetInfo* last) {
    while (first < last) {
        const OffsetInfo kept = *first;
        *first++ = *--last;
        *last = kept;
    }
}

}  // namespace

// Three reversals: of the slots before the read position, of those from it
// on, then of the whole ring.
void rotate_to_read_position(RingBuf* ring, int16_t colour) {
    OffsetInfo* start = &ring->Outbuf[ring_first(colour)];
    OffsetInfo* read = start + ring_index(ring->RPointer, colour);
    OffsetInfo* end = start + ring_size(colour);
    reverse_slots(start, read);
    reverse_slots(read, end);
    reverse_slots(start, end);
}

const OffsetInfo* ring_slot(const RingBuf* ring, int16_t colour,
                            RingPosition where, int32_t index) {
    return ring_slot(const_cast<RingBuf*>(ring), colour, where, index);
}

}  // namespace vrelo
