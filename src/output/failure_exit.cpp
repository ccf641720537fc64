// The shared failure exit of OutputProduce, OutputComplete, OutputFlush and
// OutputFormFeed, and the common start of the three producing calls.
#include "output/chunk_table.hpp"
#include "output/producing_calls.hpp"

namespace vrelo {

void start_producing_call(MasterWork* job) {
    job->outTable = chunk_table(*job);
    job->outTable->list.entries = &job->outTable->entries[0];
}

int32_t fail_call(MasterWork* job, int32_t status, OutList** out) {
    OffsetDisposeMemory(&job->offsetMemory);
    // The delay lines of delayed mode still name the ranges just released:
    // emptying them belongs here, next to the release.
    job->produced = 0;
    OutStrct* table = chunk_table(*job);
    empty_chunk_table(table);
    if (status == VRELO_RANGE_FAILED && out != nullptr)
        *out = &table->emptyList;
    return status;
}

}  // namespace vrelo
