// The shared start and ends of OutputProduce, OutputComplete, OutputFlush
// and OutputFormFeed: the common start, the hand-over of a list, the end of
// a completed call and the one failure exit.
#include "output/chunk_table.hpp"
#include "output/delayed_mode.hpp"
#include "output/producing_calls.hpp"

namespace vrelo {

void start_producing_call(MasterWork* job) {
    job->outTable = chunk_table(*job);
    job->outTable->list.entries = &job->outTable->entries[0];
}

int32_t hand_over_list(MasterWork* job, OutList** out, OutList* list) {
    job->produced = 1;
    *out = list;
    return VRELO_OK;
}

void end_pending_call(MasterWork* job) {
    job->outTable = nullptr;
    job->produced = 0;
    job->flushSeen = 0;
    job->formFeedSeen = 0;
}

int32_t fail_call(MasterWork* job, int32_t status, OutList** out) {
    OffsetDisposeMemory(&job->offsetMemory);
    // The delay lines still name the ranges just released: they must never
    // be sent or released again.
    if (job->delayMode == 1) forget_delayed_rows(job);
    job->produced = 0;
    OutStrct* table = chunk_table(*job);
    empty_chunk_table(table);
    if (status == VRELO_RANGE_FAILED && out != nullptr)
        *out = &table->emptyList;
    return status;
}

}  // namespace vrelo
