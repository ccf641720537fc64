// Delayed mode's bodies of the producing and completing calls, and what the
// job's lifecycle needs to know of its rows.
#ifndef VRELO_OUTPUT_DELAYED_MODE_HPP
#define VRELO_OUTPUT_DELAYED_MODE_HPP

#include "output/line_planes.hpp"
#include "output/master_work.hpp"

namespace vrelo {

int32_t delayed_produce(MasterWork* job, int32_t lineNumber,
                        const LinePlanes& planes, OutList** out);
int32_t delayed_complete(MasterWork* job);
int32_t delayed_flush(MasterWork* job, OutList** out);
int32_t delayed_form_feed(MasterWork* job, OutList** out, int32_t endLine);

int32_t check_delayed_produce(const MasterWork& job, int32_t lineNumber,
                              const LinePlanes& planes);
int32_t check_delayed_flush(const MasterWork& job);
int32_t check_delayed_form_feed(const MasterWork& job, int32_t endLine);

// Releases the range a row reference names, if any, and nulls the
// reference; VRELO_LOCK_FAILED when the sub-allocator refuses.
int32_t release_row(MasterWork* job, OffsetInfo* ref);

// Empties the rings, the temporary slots and the skip block's reference
// once the ranges they name are released.
void forget_delayed_rows(MasterWork* job);

// Starts a page: a list still pending is abandoned (its skip block and
// unsent rows released, the table emptied, the sub-allocator unlocked);
// without carry-over every row still waiting is released and the rings
// emptied; the pointers restart.
void start_delayed_page(MasterWork* job, bool pending);

}  // namespace vrelo

#endif
