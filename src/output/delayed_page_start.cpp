// Delayed mode at a page boundary: what OutputInitPart does to the rows
// still waiting, and how the failure exit forgets rows it released.
#include "offsetmem/null_info.hpp"
#include "output/delayed_mode.hpp"

namespace vrelo {

int32_t release_row(MasterWork* job, OffsetInfo* ref) {
    if (isNullInfo(ref)) return VRELO_OK;
    return OffsetDisposeID(&job->offsetMemory, ref) == VRELO_OK
               ? VRELO_OK
               : VRELO_LOCK_FAILED;
}

namespace {

// The host gave up on the pending list: its skip block and the rows of the
// line that were never committed to the rings go (the page start then
// empties the table that names them).
void abandon_pending_list(MasterWork* job) {
    OffsetUnLockMemory(&job->offsetMemory);
    release_row(job, &job->skipInfo);
    for (int16_t colour = 0; colour < VRELO_COLOURS; ++colour) {
        OffsetInfo ref;
        RefOutbufTempInfo(&job->ring, colour, &ref);
        release_row(job, &ref);
    }
}

}  // namespace

void forget_delayed_rows(MasterWork* job) {
    InitRingBuf(&job->ring);
    InitTempBuf(&job->ring);
    job->skipInfo = kNullInfo;
    job->ringsRotated = 0;
}

void start_delayed_page(MasterWork* job, bool pending) {
    if (pending) abandon_pending_list(job);
    if (job->feedOnFlush == 0) {
        // Without carry-over no row survives the page end: release them now
        // rather than leave them allocated until the job closes.
        OffsetDisposeMemory(&job->offsetMemory);
        forget_delayed_rows(job);
    }
    job->lastLine = -1;
    InitTempBuf(&job->ring);
    InitRPointer(&job->ring);
    InitWPointer(&job->ring);
    job->feedRemain = 0;
}

}  // namespace vrelo
