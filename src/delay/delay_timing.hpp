// When each colour reaches the printer: its delay in line steps, the size
// of its ring, and every bound that follows from them. The exported tables
// ColorOffset and ColorBufsize are made from these and checked against
// them where they are defined (delay_timing.cpp).
#ifndef VRELO_DELAY_DELAY_TIMING_HPP
#define VRELO_DELAY_DELAY_TIMING_HPP

#include "vrelo417.h"

namespace vrelo {

// The row of line I in colour c goes out on line step I + kColourDelays[c]:
// black at once, cyan 112 lines later, magenta 224, yellow 336.
inline constexpr int16_t kColourDelays[VRELO_COLOURS] = {0, 336, 224, 112, 224, 112};

// A colour's ring holds the smallest power of two of slots above its delay,
// so a row is still there when it falls due; the rings lie back to back in
// colour order, a colour's first slot being the sum of the sizes of the
// rings before it. Worked out once, at compile time, as a table: the line
// calls look sizes and first slots up on every row.
struct RingTable {
    int32_t size[VRELO_COLOURS];
    int32_t first[VRELO_COLOURS + 1];  // [VRELO_COLOURS]: every slot
};

constexpr RingTable make_ring_table() {
    RingTable table{};
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) {
        int32_t size = 1;
        while (size <= kColourDelays[c]) size *= 2;
        table.size[c] = size;
        table.first[c + 1] = table.first[c] + size;
    }
    return table;
}

inline constexpr RingTable kRingTable = make_ring_table();

constexpr int32_t ring_size(int16_t colour) {
    return kRingTable.size[colour];
}
constexpr int32_t ring_first(int16_t colour) {
    return kRingTable.first[colour];
}

constexpr int32_t longest_delay() {
    int32_t longest = 0;
    for (int16_t c = 0; c < VRELO_COLOURS; ++c)
        if (kColourDelays[c] > longest) longest = kColourDelays[c];
    return longest;
}

constexpr int32_t delay_sum() {
    int32_t sum = 0;
    for (int16_t c = 0; c < VRELO_COLOURS; ++c) sum += kColourDelays[c];
    return sum;
}

// Beyond the longest delay a walk's steps send nothing from the rings, and
// a page is drained by walking that many steps.
inline constexpr int32_t kLongestDelay = longest_delay();
// The most rows that can fall due in one walk, all colours together: a
// colour's rows of the kColourDelays[c] lines before it.
inline constexpr int32_t kMostWaitingRows = delay_sum();
// Every slot of every ring, as RingBuf's Outbuf holds them.
inline constexpr int32_t kRingSlots = ring_first(VRELO_COLOURS);
// A turn of the largest ring, yellow's: every ring size divides it, so that
// many write steps visit every slot and leave each write pointer in place.
inline constexpr int32_t kFullTurn = ring_size(1);

constexpr bool full_turn_covers_every_ring() {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c)
        if (kFullTurn % ring_size(c) != 0) return false;
    return true;
}

// Ring indexes are taken with a mask of the ring size.
constexpr bool every_ring_a_power_of_two() {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c)
        if ((ring_size(c) & (ring_size(c) - 1)) != 0) return false;
    return true;
}

static_assert(kRingSlots == VRELO_RING_OUTBUF_SLOTS, "Outbuf must hold the six rings exactly");
static_assert(full_turn_covers_every_ring(),
              "yellow's ring must be a multiple of every other ring");
static_assert(every_ring_a_power_of_two(), "a ring index is a masked pointer");

}  // namespace vrelo

#endif
