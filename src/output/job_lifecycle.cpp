// The life of a job: OutputOpen builds the record with its chunk table and
// command buffer, OutputInitTwo and OutputInit configure it, OutputInitPart
// starts each page, OutputClose releases everything.
#include "offsetmem/offset_alloc.hpp"
#include "output/call_protocol.hpp"
#include "output/chunk_table.hpp"
#include "output/job_config.hpp"
#include "output/row_commands.hpp"
#include "platform/memory.hpp"

namespace vrelo {
namespace {

// The sub-allocator of a job configured again may still hold ranges (no
// failure exit released them): they are released first, whatever mode the
// job takes now, so none becomes unreachable. The page start that follows
// empties the chunk table, which may still name them.
void configure_mode(MasterWork* job, int16_t delayMode) {
    vrelo::release_all_ranges(&job->offsetMemory, &job->shelf);
    job->delayMode = delayMode;
    mode_of(*job).configure(job);
}

}  // namespace
}  // namespace vrelo

VRELO_API int32_t OutputOpen(MasterWork** out) {
    if (out == nullptr) return VRELO_OPEN_FAILED;
    *out = nullptr;
    MasterWork* job =
        static_cast<MasterWork*>(MyNewMasterWorkPtr(static_cast<int32_t>(sizeof(MasterWork))));
    if (job == nullptr) return VRELO_OPEN_FAILED;
    // From here a failure leaves the partly built record for OutputClose.
    *out = job;
    if (vrelo::failed(MyNewPH(static_cast<int32_t>(sizeof(OutStrct)), &job->outTableHandle)))
        return VRELO_OPEN_FAILED;
    vrelo::empty_chunk_table(vrelo::chunk_table(*job));
    job->outTable = nullptr;
    if (vrelo::failed(MyNewPH(vrelo::kCommandBufferBytes, &job->cmdBufHandle)))
        return VRELO_OPEN_FAILED;
    job->cmdBuf = nullptr;
    job->initMark = 0;
    return VRELO_OPEN_OK;
}

VRELO_API int32_t OutputInitTwo(MasterWork** job, const void* block, int32_t model) {
    MasterWork* work = vrelo::job_of(job);
    if (work == nullptr || block == nullptr) return VRELO_BAD_ARGUMENT;
    Mymemcpy(&work->param, block, static_cast<int16_t>(sizeof(OutputParam)));
    work->param.modelCode = static_cast<int16_t>(model);
    work->initMark = vrelo::kInitMarkConfigured;
    return OutputInit(job, &work->param);
}

VRELO_API int32_t OutputInit(MasterWork** job, const OutputParam* param) {
    MasterWork* work = vrelo::job_of(job);
    if (work == nullptr || param == nullptr) return VRELO_BAD_ARGUMENT;
    const vrelo::JobConfig config = vrelo::config_from(*param);
    work->feedOnFlush = config.feedOnFlush;
    work->doubleX = config.doubleX;
    work->produced = 0;
    work->pixelShift = config.pixelShift;
    vrelo::configure_mode(work, config.delayMode);
    return OutputInitPart(job, param);
}

// A list still pending is completed first, as OutputComplete would: the
// host is past it, and with carry-over the line's rows still wait for the
// next page. A completion that fails takes the failure exit.
VRELO_API int32_t OutputInitPart(MasterWork** job, const OutputParam* /*unused*/) {
    MasterWork* work = vrelo::job_of(job);
    if (work == nullptr) return VRELO_BAD_ARGUMENT;
    if (work->produced == 1 && vrelo::mode_of(*work).complete(work) != VRELO_OK)
        vrelo::fail_call(work, VRELO_LOCK_FAILED, nullptr);
    work->lastLine = 0;
    work->curLine = 0;
    work->lineGap = 0;
    work->blankRun = 0;
    work->produced = 0;
    work->flushSeen = 0;
    work->formFeedSeen = 0;
    vrelo::mode_of(*work).startPage(work);
    // Nothing in the table may lead a host into memory the job reuses or
    // has released.
    if (!MyNullPHCheck(&work->outTableHandle)) vrelo::empty_chunk_table(vrelo::chunk_table(*work));
    work->outTable = nullptr;
    return VRELO_OK;
}

VRELO_API void OutputClose(MasterWork** job) {
    MasterWork* work = vrelo::job_of(job);
    if (work == nullptr) return;
    vrelo::release_all_ranges(&work->offsetMemory, &work->shelf);
    work->cmdBuf = nullptr;
    MyDisposePH(&work->cmdBufHandle);
    work->outTable = nullptr;
    if (!MyNullPHCheck(&work->outTableHandle)) MyDisposePH(&work->outTableHandle);
    MyDisposeMasterWorkPtr(work);
}
