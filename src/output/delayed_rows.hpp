// Delayed mode's rows in the job's sub-allocator: each line's rows parked
// in ranges of their own, and released again, one at a time as the rings
// let them go or all together when a page starts or a call fails.
#ifndef VRELO_OUTPUT_DELAYED_ROWS_HPP
#define VRELO_OUTPUT_DELAYED_ROWS_HPP

#include "output/line_planes.hpp"
#include "output/master_work.hpp"

namespace vrelo {

// Compresses every row of the line with ink into a range of its own, as a
// complete colour-raster command, and parks its reference in the colour's
// temporary slot. Needs the sub-allocator locked. VRELO_OK, or
// VRELO_RANGE_FAILED when a range cannot be had.
int32_t park_rows(MasterWork* job, const LinePlanes& planes);

// Releases the range a row reference names, if any, and nulls the
// reference; VRELO_LOCK_FAILED when the sub-allocator refuses.
int32_t release_row(MasterWork* job, OffsetInfo* ref);

// Releases the rows still in the temporary slots (black's, sent from there,
// and those of a line that walked no step) and empties the slots.
int32_t release_temporary_rows(MasterWork* job);

// Releases and empties ring indices from..size-1 of every colour, where
// `from` is the colour's delay when fromDelay, else 0.
int32_t release_ring_indices(MasterWork* job, bool fromDelay);

// Every ring rotated so the row due on the read position's step sits at
// index 0, where a restarted read pointer finds it; the indices from the
// colour's delay on held rows already sent, and are released.
int32_t rotate_rings(MasterWork* job);

// Empties the rings, the temporary slots and the skip block's reference
// once the ranges they name are released.
void forget_delayed_rows(MasterWork* job);

}  // namespace vrelo

#endif
