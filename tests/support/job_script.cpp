#include "job_script.hpp"

#include <algorithm>

#include "row_shapes.hpp"

namespace vrelo_test {
namespace {

void add_page(std::mt19937& rng, const JobShape& shape, int lines, JobScript* script) {
    PageShape pageShape;
    pageShape.pixelShift = shape.pixelShift;
    pageShape.doubleX = shape.doubleX;
    pageShape.lines = lines;
    pageShape.longGapPercent = 3;
    pageShape.planePercent = 60;
    pageShape.maxRowBytes = 400;
    for (PageLine& line : random_page(rng, pageShape)) {
        HostCall call;
        call.line = std::move(line);
        script->calls.push_back(std::move(call));
    }
}

void add_end(HostCall::Kind kind, int32_t endLine, JobScript* script) {
    HostCall call;
    call.kind = kind;
    call.endLine = endLine;
    script->calls.push_back(std::move(call));
}

}  // namespace

JobScript realistic_job(std::mt19937& rng, const JobShape& shape) {
    JobScript script;
    script.param = param_for(shape);
    add_page(rng, shape, 120, &script);
    add_end(HostCall::kFormFeed, script.calls.back().line.lineNumber + uniform(rng, 1, 300),
            &script);
    add_end(HostCall::kNewPage, 0, &script);
    add_page(rng, shape, 60, &script);
    add_end(HostCall::kFormFeed, script.calls.back().line.lineNumber + 50, &script);
    add_end(HostCall::kFlush, 0, &script);
    // A page without lines: its page end alone meets an empty sub-allocator.
    add_end(HostCall::kNewPage, 0, &script);
    add_end(HostCall::kFormFeed, 100, &script);
    add_end(HostCall::kFlush, 0, &script);
    return script;
}

bool operator==(const CallResult& a, const CallResult& b) {
    return a.status == b.status && a.emptyList == b.emptyList && a.chunks == b.chunks &&
           a.completion == b.completion;
}

CallResult run_call(MasterWork** job, const HostCall& call) {
    CallResult result;
    if (call.kind == HostCall::kNewPage) {
        result.status = OutputInitPart(job, nullptr);
        return result;
    }
    OutList* out = nullptr;
    const RasterLine record = call.line.record();
    const int32_t status = call.kind == HostCall::kLine ? OutputProduce(job, &record, &out)
                           : call.kind == HostCall::kFlush
                               ? OutputFlush(job, &out)
                               : OutputFormFeed(job, &out, call.endLine);
    return complete_call(job, status, out);
}

CallResult complete_call(MasterWork** job, int32_t status, const OutList* out) {
    CallResult result;
    result.status = status;
    result.emptyList = out != nullptr && out->count == 0 && out->entries == nullptr;
    if (status != VRELO_OK) return result;
    for (int i = 0; i < out->count; ++i) {
        const OutEntry& chunk = out->entries[i];
        result.chunks.emplace_back(chunk.data, chunk.data + std::max<int>(chunk.length, 0));
    }
    result.completion = OutputComplete(job);
    return result;
}

std::vector<CallResult> run_job(const JobScript& script) {
    MasterWork* job = nullptr;
    std::vector<CallResult> results;
    if (OutputOpen(&job) == VRELO_OPEN_OK && OutputInit(&job, &script.param) == VRELO_OK)
        for (const HostCall& call : script.calls) results.push_back(run_call(&job, call));
    OutputClose(&job);
    return results;
}

}  // namespace vrelo_test
