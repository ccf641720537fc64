// Delayed-mode OutputProduce: each non-blank row is compressed once into a
// range of its own, exactly sized, and parked in its colour's temporary
// slot; then the walk from the previous line to this one sends what is due.
#include <string.h>

#include "output/delayed_mode.hpp"
#include "output/delayed_walk.hpp"
#include "output/producing_calls.hpp"
#include "platform/memory.hpp"

namespace vrelo {

static_assert(kRowCommandBound < OFFSET_BLOCK_BYTES,
              "the widest row's command must fit one sub-allocator range");

namespace {

// One row's complete colour-raster command in a range of its own, sized
// exactly. The row is compressed once, into the command buffer (which
// delayed mode has no other use for), and copied into its range.
int32_t park_row(MasterWork* job, int16_t colour, const ColorPlane& plane,
                 RowSpan span) {
    uint8_t* scratch = handle_target<uint8_t>(job->cmdBufHandle);
    const int32_t size = write_row_command(scratch, colour, plane.data, span);
    OffsetInfo ref;
    if (OffsetNewID(&job->offsetMemory, &ref, size) != VRELO_OK)
        return VRELO_RANGE_FAILED;
    uint8_t* command = OffsetNewPtr(&job->offsetMemory, &ref);
    if (command == nullptr) return VRELO_RANGE_FAILED;
    SetOffsetInfo(&job->ring, &ref, colour);
    memcpy(command, scratch, static_cast<size_t>(size));
    return VRELO_OK;
}

int32_t park_rows(MasterWork* job, const LinePlanes& planes) {
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        RowSpan span;
        if (!find_ink(planes.plane[colour], job->pixelShift, &span)) continue;
        const int32_t status = park_row(job, colour, planes.plane[colour], span);
        if (status != VRELO_OK) return status;
    }
    return VRELO_OK;
}

}  // namespace

int32_t delayed_produce(MasterWork* job, int32_t lineNumber,
                        const LinePlanes& planes, OutList** out) {
    job->curLine = lineNumber;
    job->lineGap = lineNumber - job->lastLine;
    job->lastLine = lineNumber;
    if (OffsetLockMemory(&job->offsetMemory) != VRELO_OK)
        return fail_call(job, VRELO_LOCK_FAILED, out);
    int32_t status = park_rows(job, planes);
    Walk walk;
    if (status == VRELO_OK)
        status = begin_walk(&walk, job, job->lineGap, VRELO_RANGE_FAILED,
                            VRELO_RANGE_FAILED);
    if (status == VRELO_OK) status = walk_steps(&walk, job->lineGap, true);
    if (status != VRELO_OK) return fail_call(job, status, out);
    // A line produced after a form feed's rotation: the rings follow the
    // read pointer again.
    job->ringsRotated = 0;
    return hand_over_list(job, out, &job->outTable->list);
}

}  // namespace vrelo
