// Slot arithmetic of the delay lines: the six rings lie back to back in
// Outbuf in colour order, each as long as its ring size.
#include "delay/ring_slots.hpp"

namespace vrelo {

OffsetInfo* ring_slot(RingBuf* ring, int16_t colour, RingPosition where, int32_t index) {
    if (ring == nullptr || !valid_colour(colour)) return nullptr;
    switch (where) {
        case RingPosition::temp:
            return temp_slot(ring, colour);
        case RingPosition::read:
            return read_slot(ring, colour);
        case RingPosition::write:
            return write_slot(ring, colour);
        case RingPosition::indexed:
            break;
    }
    if (index < 0 || index >= ring_size(colour)) return nullptr;
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

const OffsetInfo* ring_slot(const RingBuf* ring, int16_t colour, RingPosition where,
                            int32_t index) {
    return ring_slot(const_cast<RingBuf*>(ring), colour, where, index);
}

}  // namespace vrelo
