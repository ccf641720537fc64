// Delayed mode's rows in the job's sub-allocator: parking each line's rows
// in exactly sized ranges, and releasing them again (see delayed_mode.hpp).
#include "output/delayed_mode.hpp"

#include <string.h>

#include "delay/ring_slots.hpp"
#include "offsetmem/offset_alloc.hpp"
#include "output/row_commands.hpp"
#include "platform/memory.hpp"

namespace vrelo {

static_assert(kRowCommandBound < VRELO_OFFSET_BLOCK_BYTES,
              "the widest row's command must fit one sub-allocator range");

namespace {

// One row's complete colour-raster command in a range of its own, sized
// exactly. The row is compressed once, into the command buffer (which
// delayed mode has no other use for), and copied into its range.
int32_t park_row(MasterWork* job, int16_t colour, const ColorPlane& plane, RowSpan span) {
    uint8_t* scratch = handle_target<uint8_t>(job->cmdBufHandle);
    const int32_t size = write_row_command(scratch, colour, plane.data, span);
    OffsetInfo ref;
    uint8_t* command;
    if (failed(allocate_range(&job->offsetMemory, &ref, size, &job->shelf, &command)))
        return VRELO_RANGE_FAILED;
    SetOffsetInfo(&job->ring, &ref, colour);
    memcpy(command, scratch, static_cast<size_t>(size));
    return VRELO_OK;
}

}  // namespace

int32_t park_rows(MasterWork* job, const LinePlanes& planes) {
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        if (!planes.ink[colour]) continue;
        const int32_t status = park_row(job, colour, planes.plane[colour], planes.span[colour]);
        if (status != VRELO_OK) return status;
    }
    return VRELO_OK;
}

int32_t release_row(MasterWork* job, OffsetInfo* ref) {
    if (is_null_info(ref)) return VRELO_OK;
    return failed(release_range(&job->offsetMemory, ref, &job->shelf)) ? VRELO_LOCK_FAILED
                                                                       : VRELO_OK;
}

int32_t release_temporary_rows(MasterWork* job) {
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
        if (release_row(job, temp_slot(&job->ring, colour)) != VRELO_OK) return VRELO_LOCK_FAILED;
    return VRELO_OK;
}

int32_t release_ring_indices(MasterWork* job, bool fromDelay) {
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        for (int32_t index = fromDelay ? ColorOffset[colour] : 0; index < ColorBufsize[colour];
             ++index) {
            OffsetInfo ref;
            RefOptionalBuf(&job->ring, colour, index, &ref);
            if (is_null_info(&ref)) continue;
            if (release_row(job, &ref) != VRELO_OK) return VRELO_LOCK_FAILED;
            SetOptionalBuf(&job->ring, colour, index, &ref);
        }
    }
    return VRELO_OK;
}

int32_t rotate_rings(MasterWork* job) {
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour)
        rotate_to_read_position(&job->ring, colour);
    if (release_ring_indices(job, true) != VRELO_OK) return VRELO_LOCK_FAILED;
    job->ringsRotated = 1;
    return VRELO_OK;
}

void forget_delayed_rows(MasterWork* job) {
    InitRingBuf(&job->ring);
    InitTempBuf(&job->ring);
    job->skipInfo = kNullInfo;
    job->ringsRotated = 0;
}

}  // namespace vrelo
