// The two exported constant tables of the delay lines, indexed by colour
// K Y M C m c: how many lines each colour waits, and how many slots its
// ring holds. Both are made from delay_timing.hpp and checked against it.
#include "delay/delay_timing.hpp"

using vrelo::kColourDelays;
using vrelo::ring_size;

// Exported as the public header declares them; constexpr, so the checks
// below read the very tables a host reads.
constexpr int16_t ColorOffset[VRELO_COLOURS] = {kColourDelays[0], kColourDelays[1],
                                                kColourDelays[2], kColourDelays[3],
                                                kColourDelays[4], kColourDelays[5]};

constexpr int32_t ColorBufsize[VRELO_COLOURS] = {ring_size(0), ring_size(1), ring_size(2),
                                                 ring_size(3), ring_size(4), ring_size(5)};

namespace {

constexpr bool tables_follow_the_timing() {
    for (int16_t c = 0; c < VRELO_COLOURS; ++c)
        if (ColorOffset[c] != kColourDelays[c] || ColorBufsize[c] != ring_size(c) ||
            ColorBufsize[c] <= ColorOffset[c] || ColorBufsize[c] / 2 > ColorOffset[c])
            return false;
    return true;
}

// Black's one slot has no delay to cover; every other ring is the smallest
// power of two above its colour's delay.
static_assert(tables_follow_the_timing(),
              "the exported tables must be the delays and their ring sizes");

}  // namespace
