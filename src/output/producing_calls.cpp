// The exported producing and completing calls: argument checks before
// anything changes, the common start, the produced gate, then the body of
// the job's mode.
#include "output/producing_calls.hpp"
#include "platform/api.hpp"

namespace vrelo {
namespace {

const ModeCalls& mode_of(const MasterWork& job) {
    return job.delayMode == 1 ? kDelayedMode : kDirectMode;
}

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

}  // namespace
}  // namespace vrelo

using vrelo::built_job;
using vrelo::fail_call;
using vrelo::may_hand_out;
using vrelo::mode_of;

VRELO_API int32_t OutputProduce(MasterWork** job, const RasterLine* line,
                                OutList** out) {
    MasterWork* work = built_job(job);
    if (work == nullptr || line == nullptr || out == nullptr)
        return VRELO_BAD_ARGUMENT;
    vrelo::LinePlanes planes;
    if (vrelo::prepare_planes(*work, *line, &planes) != VRELO_OK)
        return VRELO_BAD_ARGUMENT;
    if (mode_of(*work).checkProduce(*work, line->lineNumber, planes) != VRELO_OK)
        return VRELO_BAD_ARGUMENT;
    vrelo::start_producing_call(work);
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
    vrelo::start_producing_call(work);
    if (!may_hand_out(*work)) return fail_call(work, VRELO_OUT_OF_ORDER, out);
    work->flushSeen = 1;
    return mode_of(*work).flush(work, out);
}

VRELO_API int32_t OutputFormFeed(MasterWork** job, OutList** out,
                                 int32_t endLine) {
    MasterWork* work = built_job(job);
    if (work == nullptr || out == nullptr) return VRELO_BAD_ARGUMENT;
    if (mode_of(*work).checkFormFeed(*work, endLine) != VRELO_OK)
        return VRELO_BAD_ARGUMENT;
    vrelo::start_producing_call(work);
    // Set before the gate: a refused form feed leaves it set.
    work->formFeedSeen = 1;
    if (!may_hand_out(*work)) return fail_call(work, VRELO_OUT_OF_ORDER, out);
    return mode_of(*work).formFeed(work, out, endLine);
}
