// The exported producing and completing calls and the protocol around
// them: argument checks before anything changes, the common start, the
// produced gate, the body of the job's mode, then the hand-over of its
// list, the close of a completed call, or the one failure exit.
#include "output/call_protocol.hpp"

#include "offsetmem/offset_alloc.hpp"
#include "output/chunk_table.hpp"

namespace vrelo {
namespace {

// A job whose OutputOpen built everything; a partly built record has no
// table or buffer to work in.
MasterWork* built_job(MasterWork** job) {
    MasterWork* work = job_of(job);
    if (work == nullptr || MyNullPHCheck(&work->outTableHandle) ||
        MyNullPHCheck(&work->cmdBufHandle))
        return nullptr;
    return work;
}

// A producing call may hand out a list only on a configured job with no
// list pending.
bool may_hand_out(const MasterWork& job) {
    return job.produced == 0 && job.pixelShift != 0;
}

// Common start of OutputProduce, OutputFlush and OutputFormFeed: the table
// is reached through outTable and the primary list starts at entry 0.
void start_producing_call(MasterWork* job) {
    job->outTable = chunk_table(*job);
    job->outTable->list.entries = &job->outTable->entries[0];
}

}  // namespace

const ModeCalls& mode_of(const MasterWork& job) {
    return job.delayMode == 1 ? kDelayedMode : kDirectMode;
}

int32_t hand_over_list(MasterWork* job, OutList** out, OutList* list) {
    job->produced = 1;
    *out = list;
    return VRELO_OK;
}

void close_completed_call(MasterWork* job) {
    empty_listed_entries(chunk_table(*job));
    job->outTable = nullptr;
    job->produced = 0;
    job->flushSeen = 0;
    job->formFeedSeen = 0;
}

int32_t fail_call(MasterWork* job, int32_t status, OutList** out) {
    vrelo::release_all_ranges(&job->offsetMemory, &job->shelf);
    mode_of(*job).forgetRows(job);
    job->produced = 0;
    OutStrct* table = chunk_table(*job);
    empty_chunk_table(table);
    if (status == VRELO_RANGE_FAILED && out != nullptr) *out = &table->emptyList;
    return status;
}

}  // namespace vrelo

using vrelo::built_job;
using vrelo::fail_call;
using vrelo::may_hand_out;
using vrelo::mode_of;
using vrelo::start_producing_call;

VRELO_API int32_t OutputProduce(MasterWork** job, const RasterLine* line, OutList** out) {
    MasterWork* work = built_job(job);
    if (work == nullptr || line == nullptr || out == nullptr) return VRELO_BAD_ARGUMENT;
    vrelo::LinePlanes planes;
    if (vrelo::prepare_planes(*work, *line, &planes) != VRELO_OK) return VRELO_BAD_ARGUMENT;
    if (mode_of(*work).checkProduce(*work, line->lineNumber, planes) != VRELO_OK)
        return VRELO_BAD_ARGUMENT;
    start_producing_call(work);
    if (!may_hand_out(*work)) return fail_call(work, VRELO_OUT_OF_ORDER, out);
    return mode_of(*work).produce(work, line->lineNumber, planes, out);
}

VRELO_API int32_t OutputComplete(MasterWork** job) {
    MasterWork* work = built_job(job);
    if (work == nullptr) return VRELO_BAD_ARGUMENT;
    if (work->produced == 0) return fail_call(work, VRELO_OUT_OF_ORDER, nullptr);
    return mode_of(*work).complete(work);
}

VRELO_API int32_t OutputFlush(MasterWork** job, OutList** out) {
    MasterWork* work = built_job(job);
    if (work == nullptr || out == nullptr) return VRELO_BAD_ARGUMENT;
    if (mode_of(*work).checkFlush(*work) != VRELO_OK) return VRELO_BAD_ARGUMENT;
    start_producing_call(work);
    if (!may_hand_out(*work)) return fail_call(work, VRELO_OUT_OF_ORDER, out);
    work->flushSeen = 1;
    return mode_of(*work).flush(work, out);
}

VRELO_API int32_t OutputFormFeed(MasterWork** job, OutList** out, int32_t endLine) {
    MasterWork* work = built_job(job);
    if (work == nullptr || out == nullptr) return VRELO_BAD_ARGUMENT;
    if (mode_of(*work).checkFormFeed(*work, endLine) != VRELO_OK) return VRELO_BAD_ARGUMENT;
    start_producing_call(work);
    // Set before the gate: a refused form feed leaves it set.
    work->formFeedSeen = 1;
    if (!may_hand_out(*work)) return fail_call(work, VRELO_OUT_OF_ORDER, out);
    return mode_of(*work).formFeed(work, out, endLine);
}
