// Moving the delay lines' pointers by many line steps at once, for callers
// whose walk goes far beyond every ring's reach: the same end state as that
// many single steps, at constant cost.
#ifndef VRELO_DELAY_RING_POINTERS_HPP
#define VRELO_DELAY_RING_POINTERS_HPP

#include "vrelo417.h"

namespace vrelo {

// RPointer += steps, stepped as unsigned so it never overflows.
void step_read_pointer(RingBuf* ring, uint32_t steps);

// The colour's write pointer moved steps positions round its ring; black's
// stays where it is, as do bad colours'.
void step_write_pointer(RingBuf* ring, int16_t colour, uint32_t steps);

}  // namespace vrelo

#endif
